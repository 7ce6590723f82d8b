#include "toolkit/cairo_canvas.h"

#include "toolkit/text_block.h"

void PaintBitmap(cairo_t* cr, const TBitmapData& bitmap, double x, double y, double alpha) {
  if (bitmap.width <= 0 || bitmap.height <= 0) return;
  // cairo only reads a source surface; the pixels are premultiplied ARGB32 without row padding.
  cairo_surface_t* surface =
      cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(bitmap.pixels.data())),
                                          CAIRO_FORMAT_ARGB32, bitmap.width, bitmap.height, bitmap.width * 4);
  cairo_save(cr);
  cairo_set_source_surface(cr, surface, x, y);
  if (alpha >= 1.0) {
    cairo_paint(cr);
  } else {
    cairo_paint_with_alpha(cr, alpha);
  }
  cairo_restore(cr);
  cairo_surface_destroy(surface);
}

void FillBox(cairo_t* cr, TRect rect, TColor color) {
  if (color == clNone) return;
  const TRgb rgb = ColorToRgb(color);
  cairo_save(cr);
  cairo_set_source_rgb(cr, rgb.r / 255.0, rgb.g / 255.0, rgb.b / 255.0);
  cairo_rectangle(cr, rect.Left, rect.Top, rect.Width(), rect.Height());
  cairo_fill(cr);
  cairo_restore(cr);
}

void TCairoCanvas::DrawBitmap(int x, int y, const std::shared_ptr<const TBitmapData>& bitmap, bool enabled) {
  // A disabled picture is drawn faded.
  if (bitmap) PaintBitmap(cr_, *bitmap, x, y, enabled ? 1.0 : 0.5);
}

void TCairoCanvas::DrawText(const std::string& text, TRect rect, unsigned flags) {
  TTextFormat format;
  format.single_line = (flags & DT_SINGLELINE) != 0;
  format.expand_tabs = (flags & DT_EXPANDTABS) != 0;
  format.alignment = (flags & DT_CENTER) ? TAlignment::taCenter : TAlignment::taLeftJustify;
  const TTextBlock block(GetFont(), text, format);
  const TPoint size = block.Size();
  // Vertical centring is DrawText's for single lines only.
  int top = rect.Top;
  if ((flags & DT_VCENTER) && format.single_line) top += (rect.Height() - size.Y) / 2;
  cairo_save(cr_);
  cairo_rectangle(cr_, rect.Left, rect.Top, rect.Width(), rect.Height());
  cairo_clip(cr_);
  if (BkMode() == OPAQUE) {
    int left = rect.Left;
    if (format.alignment == TAlignment::taCenter) left += (rect.Width() - size.X) / 2;
    FillBox(cr_, {left, top, left + size.X, top + size.Y}, background_);
  }
  block.Draw(cr_, rect.Left, top, rect.Width(), ColorToRgb(GetFont().Color()));
  cairo_restore(cr_);
}

void TCairoCanvas::FillRect(TRect rect, TColor color) { FillBox(cr_, rect, color); }
