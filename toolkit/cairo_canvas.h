#pragma once

#include <cairo.h>

#include "toolkit/canvas.h"

// The canvas of an owner-drawn control during a paint: draws with cairo in the control's own
// coordinates. `background` is the colour an opaque text background gets (the control's).
class TCairoCanvas : public TCanvas {
 public:
  TCairoCanvas(cairo_t* cr, TColor background) : cr_(cr), background_(background) {}
  void DrawBitmap(int x, int y, const std::shared_ptr<const TBitmapData>& bitmap, bool enabled) override;
  void DrawText(const std::string& text, TRect rect, unsigned flags) override;
  void FillRect(TRect rect, TColor color) override;

 private:
  cairo_t* cr_;
  TColor background_;
};

// Drawing helpers shared by the painter and the canvas.
void PaintBitmap(cairo_t* cr, const TBitmapData& bitmap, double x, double y, double alpha = 1.0);
void FillBox(cairo_t* cr, TRect rect, TColor color);
