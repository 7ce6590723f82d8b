#pragma once

#include <cairo.h>

#include <string>

namespace skin {

// An sRGB colour with alpha, each channel 0..1.
struct Rgba {
  double r, g, b, a = 1.0;
  Rgba WithAlpha(double alpha) const { return {r, g, b, alpha}; }
};

// 0xRRGGBB.
constexpr Rgba Hex(unsigned rgb, double alpha = 1.0) {
  return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, alpha};
}

// One picture being painted: an ARGB surface and its cairo context.
class Canvas {
 public:
  Canvas(int width, int height);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  cairo_t* cr() const { return cr_; }
  cairo_surface_t* surface() const { return surface_; }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  int width_, height_;
  cairo_surface_t* surface_;
  cairo_t* cr_;
};

void SetColor(cairo_t* cr, const Rgba& c);
void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r);
// A rounded rectangle whose bottom corners are square.
void TopRoundedRect(cairo_t* cr, double x, double y, double w, double h, double r);
// Fills the current path with a vertical gradient from `top` (at y0) to `bottom` (at y1).
void FillVertical(cairo_t* cr, double y0, double y1, const Rgba& top, const Rgba& bottom, bool preserve = false);
// A soft round glow: `c` at the centre fading to nothing at `radius`.
void Glow(cairo_t* cr, double cx, double cy, double radius, const Rgba& c);
// The current path's soft drop shadow, drawn before the shape itself.
void Shadow(cairo_t* cr, double x, double y, double w, double h, double r, double spread, double alpha);

enum class Align { Left, Center, Right };

struct TextStyle {
  double size_px = 12;
  bool bold = false;
  Rgba color = Hex(0xF0F0F0);
  Align align = Align::Left;
  double letter_spacing = 0;  // in pixels
};

// Draws UTF-8 text with pango at (x, y), wrapped to `width` when it is positive; returns the
// height of the laid-out text.
double DrawText(cairo_t* cr, const std::string& text, double x, double y, double width, const TextStyle& style);

}  // namespace skin
