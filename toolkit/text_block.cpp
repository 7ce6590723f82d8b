#include "toolkit/text_block.h"

#include <pango/pangocairo.h>

#include <string>

#include "toolkit/font_config.h"
#include "toolkit/pango_font.h"

namespace {

std::string Prepared(std::string_view utf8, const TTextFormat& format) {
  std::string text(utf8);
  for (char& c : text) {
    if (c == '\t' && !format.expand_tabs) c = ' ';
    if ((c == '\r' || c == '\n') && format.single_line) c = ' ';
  }
  return text;
}

PangoAlignment ToPango(TAlignment a) {
  switch (a) {
    case TAlignment::taCenter:
      return PANGO_ALIGN_CENTER;
    case TAlignment::taRightJustify:
      return PANGO_ALIGN_RIGHT;
    case TAlignment::taLeftJustify:
      break;
  }
  return PANGO_ALIGN_LEFT;
}

}  // namespace

TTextBlock::TTextBlock(const TFont& font, std::string_view utf8, const TTextFormat& format)
    : layout_(pango_layout_new(TextContext())), format_(format) {
  PangoFontDescriptionPtr description = MakeFontDescription(font);
  pango_layout_set_font_description(layout_, description.get());
  PangoAttrList* attributes = pango_attr_list_new();
  if (font.Style() & fsUnderline) pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
  if (font.Style() & fsStrikeOut) pango_attr_list_insert(attributes, pango_attr_strikethrough_new(TRUE));
  pango_layout_set_attributes(layout_, attributes);
  pango_attr_list_unref(attributes);
  pango_layout_set_alignment(layout_, ToPango(format.alignment));
  if (format.wrap_width >= 0) {
    pango_layout_set_width(layout_, format.wrap_width * PANGO_SCALE);
    pango_layout_set_wrap(layout_, PANGO_WRAP_WORD_CHAR);
  }
  const std::string text = Prepared(utf8, format);
  pango_layout_set_text(layout_, text.c_str(), static_cast<int>(text.size()));
  PangoRectangle logical;
  pango_layout_get_pixel_extents(layout_, nullptr, &logical);
  origin_x_ = logical.x;
  origin_y_ = logical.y;
  width_ = logical.width;
  height_ = logical.height;
}

TTextBlock::~TTextBlock() { g_object_unref(layout_); }

int TTextBlock::UnknownGlyphs() const { return pango_layout_get_unknown_glyphs_count(layout_); }

int TTextBlock::XOfByte(int byte_index) const {
  PangoRectangle pos;
  pango_layout_index_to_pos(layout_, byte_index, &pos);
  return PANGO_PIXELS(pos.x) - origin_x_;
}

void TTextBlock::Draw(cairo_t* cr, double x, double y, int box_width, TRgb colour) const {
  // A wrapped text's lines are placed in the wrap width by pango itself; without one pango
  // aligns the lines among themselves and the block goes into the box here.
  double left = x;
  if (format_.wrap_width < 0) {
    left -= origin_x_;
    if (format_.alignment == TAlignment::taCenter) left += (box_width - width_) / 2;
    if (format_.alignment == TAlignment::taRightJustify) left += box_width - width_;
  }
  cairo_save(cr);
  cairo_set_source_rgb(cr, colour.r / 255.0, colour.g / 255.0, colour.b / 255.0);
  cairo_move_to(cr, left, y - origin_y_);
  pango_cairo_show_layout(cr, layout_);
  cairo_restore(cr);
}
