#pragma once

#include <cstdint>

#include "toolkit/types.h"

// The colours of the desktop's scheme that the system colours stand for, and the conversion
// of any TColor to the 0xRRGGBB the painter draws with.
struct TRgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const TRgb&) const = default;
};

// clNone and unknown system colours give black.
TRgb ColorToRgb(TColor color);
