#include "toolkit/text_metrics.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <string>

#include "toolkit/pango_font.h"

TPoint MeasureText(const TFont& font, std::string_view utf8) {
  // One small surface serves every measurement; only the main thread measures.
  static cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
  static cairo_t* cr = cairo_create(surface);
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoFontDescriptionPtr description = MakeFontDescription(font);
  pango_layout_set_font_description(layout, description.get());
  const std::string text(utf8);
  pango_layout_set_text(layout, text.c_str(), static_cast<int>(text.size()));
  int width = 0, height = 0;
  pango_layout_get_pixel_size(layout, &width, &height);
  g_object_unref(layout);
  return {width, height};
}
