#pragma once

#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "toolkit/font.h"
#include "toolkit/picture.h"
#include "toolkit/types.h"

// Flags of DrawText.
constexpr unsigned DT_LEFT = 0x0;
constexpr unsigned DT_CENTER = 0x1;
constexpr unsigned DT_VCENTER = 0x4;
constexpr unsigned DT_SINGLELINE = 0x20;
constexpr unsigned DT_EXPANDTABS = 0x40;

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// The surface an owner-drawn control draws on. The painter renders the calls; headless, the
// recording canvas keeps them for tests.
class TCanvas {
 public:
  virtual ~TCanvas() = default;
  TFont* Font() { return &font_; }
  const TFont& GetFont() const { return font_; }
  int BkMode() const { return bk_mode_; }
  void SetBkMode(int mode) { bk_mode_ = mode; }

  virtual void DrawBitmap(int x, int y, const std::shared_ptr<const TBitmapData>& bitmap, bool enabled) = 0;
  // UTF-8 text into a rectangle, with the DT_ flags; left-aligned and top by default.
  virtual void DrawText(const std::string& text, TRect rect, unsigned flags) = 0;
  virtual void FillRect(TRect rect, TColor color) = 0;

 private:
  TFont font_;
  int bk_mode_ = OPAQUE;
};

struct CanvasBitmapOp {
  int x, y;
  std::shared_ptr<const TBitmapData> bitmap;
  bool enabled;
};
struct CanvasTextOp {
  std::string text;
  TRect rect;
  unsigned flags;
  TFont font;
  int bk_mode;
};
struct CanvasFillOp {
  TRect rect;
  TColor color;
};
using CanvasOp = std::variant<CanvasBitmapOp, CanvasTextOp, CanvasFillOp>;

class TRecordingCanvas : public TCanvas {
 public:
  void DrawBitmap(int x, int y, const std::shared_ptr<const TBitmapData>& bitmap, bool enabled) override {
    ops.emplace_back(std::in_place_type<CanvasBitmapOp>, CanvasBitmapOp{x, y, bitmap, enabled});
  }
  void DrawText(const std::string& text, TRect rect, unsigned flags) override {
    TFont copy;
    copy.Assign(GetFont());
    ops.emplace_back(std::in_place_type<CanvasTextOp>, CanvasTextOp{text, rect, flags, copy, BkMode()});
  }
  void FillRect(TRect rect, TColor color) override {
    ops.emplace_back(std::in_place_type<CanvasFillOp>, CanvasFillOp{rect, color});
  }
  std::vector<CanvasOp> ops;
};
