#include "toolkit/palette.h"

namespace {
// A light scheme's values: they read well as captions on the skin's dark teal-navy panels
// (clBtnFace at rest, clBtnHighlight brighter on hover, clBtnShadow dimmed when disabled) and
// as the plain controls' own colours.
struct SystemColor {
  TColor color;
  TRgb rgb;
};
constexpr SystemColor kScheme[] = {
    {clBtnFace, {0xF0, 0xF0, 0xF0}}, {clBtnHighlight, {0xFF, 0xFF, 0xFF}}, {clBtnShadow, {0xA0, 0xA0, 0xA0}},
    {clWindow, {0xFF, 0xFF, 0xFF}},  {clWindowText, {0x00, 0x00, 0x00}},
};
}  // namespace

TRgb ColorToRgb(TColor color) {
  if (color == clNone) return {};
  if ((color & clSystemColor) == clSystemColor) {
    for (const SystemColor& s : kScheme) {
      if (s.color == color) return s.rgb;
    }
    return {};
  }
  return {static_cast<uint8_t>(color & 0xFF), static_cast<uint8_t>((color >> 8) & 0xFF),
          static_cast<uint8_t>((color >> 16) & 0xFF)};
}
