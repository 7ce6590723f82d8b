#include "toolkit/pango_font.h"

PangoFontDescriptionPtr MakeFontDescription(const TFont& font) {
  PangoFontDescriptionPtr d(pango_font_description_new());
  const std::string families = font.Name() + ",DejaVu Sans,WenQuanYi Micro Hei,Noto Sans CJK SC,sans-serif";
  pango_font_description_set_family(d.get(), families.c_str());
  pango_font_description_set_absolute_size(d.get(), font.Height() * PANGO_SCALE);
  pango_font_description_set_weight(d.get(), (font.Style() & fsBold) ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(d.get(), (font.Style() & fsItalic) ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  return d;
}
