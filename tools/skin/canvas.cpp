#include "canvas.h"

#include <pango/pangocairo.h>

#include <cmath>
#include <stdexcept>

namespace skin {

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)) {
  if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) throw std::runtime_error("cannot create a surface");
  cr_ = cairo_create(surface_);
}

Canvas::~Canvas() {
  cairo_destroy(cr_);
  cairo_surface_destroy(surface_);
}

void SetColor(cairo_t* cr, const Rgba& c) { cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a); }

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

void TopRoundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_line_to(cr, x + w, y + h);
  cairo_line_to(cr, x, y + h);
  cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

void FillVertical(cairo_t* cr, double y0, double y1, const Rgba& top, const Rgba& bottom, bool preserve) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
  cairo_pattern_add_color_stop_rgba(p, 0, top.r, top.g, top.b, top.a);
  cairo_pattern_add_color_stop_rgba(p, 1, bottom.r, bottom.g, bottom.b, bottom.a);
  cairo_set_source(cr, p);
  if (preserve) {
    cairo_fill_preserve(cr);
  } else {
    cairo_fill(cr);
  }
  cairo_pattern_destroy(p);
}

void Glow(cairo_t* cr, double cx, double cy, double radius, const Rgba& c) {
  cairo_pattern_t* p = cairo_pattern_create_radial(cx, cy, 0, cx, cy, radius);
  cairo_pattern_add_color_stop_rgba(p, 0, c.r, c.g, c.b, c.a);
  cairo_pattern_add_color_stop_rgba(p, 1, c.r, c.g, c.b, 0);
  cairo_set_source(cr, p);
  cairo_arc(cr, cx, cy, radius, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
}

void Shadow(cairo_t* cr, double x, double y, double w, double h, double r, double spread, double alpha) {
  // Stacked translucent outlines approximate a blur well enough at these sizes.
  const int steps = static_cast<int>(spread);
  for (int i = steps; i >= 1; --i) {
    const double grow = i;
    RoundedRect(cr, x - grow, y - grow + spread / 3, w + 2 * grow, h + 2 * grow, r + grow);
    cairo_set_source_rgba(cr, 0, 0, 0, alpha / steps);
    cairo_fill(cr);
  }
}

double DrawText(cairo_t* cr, const std::string& text, double x, double y, double width, const TextStyle& style) {
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoFontDescription* font = pango_font_description_from_string("DejaVu Sans, WenQuanYi Micro Hei");
  pango_font_description_set_absolute_size(font, style.size_px * PANGO_SCALE);
  pango_font_description_set_weight(font, style.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_layout_set_font_description(layout, font);
  if (style.letter_spacing != 0) {
    PangoAttrList* attrs = pango_attr_list_new();
    pango_attr_list_insert(attrs, pango_attr_letter_spacing_new(static_cast<int>(style.letter_spacing * PANGO_SCALE)));
    pango_layout_set_attributes(layout, attrs);
    pango_attr_list_unref(attrs);
  }
  pango_layout_set_text(layout, text.c_str(), -1);
  if (width > 0) {
    pango_layout_set_width(layout, static_cast<int>(width * PANGO_SCALE));
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
  }
  pango_layout_set_alignment(layout, style.align == Align::Center  ? PANGO_ALIGN_CENTER
                                     : style.align == Align::Right ? PANGO_ALIGN_RIGHT
                                                                   : PANGO_ALIGN_LEFT);
  int w = 0, h = 0;
  pango_layout_get_pixel_size(layout, &w, &h);
  SetColor(cr, style.color);
  cairo_move_to(cr, x, y);
  pango_cairo_show_layout(cr, layout);
  pango_font_description_free(font);
  g_object_unref(layout);
  return h;
}

}  // namespace skin
