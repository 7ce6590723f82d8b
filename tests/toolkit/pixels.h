#pragma once

#include <cstdlib>
#include <optional>

#include "toolkit/palette.h"
#include "toolkit/picture.h"
#include "toolkit/types.h"

// Reading rendered pixels: colours and the box that the pixels of one colour cover.
inline TRgb RgbAt(const TBitmapData& b, int x, int y) {
  const uint32_t p = b.At(x, y);
  return {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p)};
}
inline uint8_t AlphaAt(const TBitmapData& b, int x, int y) { return static_cast<uint8_t>(b.At(x, y) >> 24); }

inline bool Near(TRgb a, TRgb b, int tolerance = 40) {
  return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) <= tolerance;
}

// The smallest rectangle inside `area` holding every pixel near `colour` (or, with `unlike`,
// every pixel that is not near it), or nothing.
inline std::optional<TRect> InkBox(const TBitmapData& b, TRect area, TRgb colour, int* count = nullptr,
                                   bool unlike = false) {
  std::optional<TRect> box;
  int n = 0;
  for (int y = area.Top; y < area.Bottom; ++y) {
    for (int x = area.Left; x < area.Right; ++x) {
      if (AlphaAt(b, x, y) != 255 || Near(RgbAt(b, x, y), colour) == unlike) continue;
      ++n;
      if (!box) box = TRect{x, y, x + 1, y + 1};
      box->Left = std::min(box->Left, x);
      box->Top = std::min(box->Top, y);
      box->Right = std::max(box->Right, x + 1);
      box->Bottom = std::max(box->Bottom, y + 1);
    }
  }
  if (count) *count = n;
  return box;
}
inline std::optional<TRect> InkBoxOn(const TBitmapData& b, TRect area, TRgb background) {
  return InkBox(b, area, background, nullptr, true);
}
