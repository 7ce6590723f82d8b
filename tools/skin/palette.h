#pragma once

#include "canvas.h"

// The colours of the skin: the dark teal-navy of the window frame and button panels, a lighter
// card for the pages, and one teal accent for everything that reacts to the mouse.
namespace skin::palette {

inline constexpr Rgba kFrame = Hex(0x0B181B);  // the button panels' colour 1775627
inline constexpr Rgba kTitleTop = Hex(0x112A30);
inline constexpr Rgba kCardTop = Hex(0x15313A);
inline constexpr Rgba kCardBottom = Hex(0x10252B);
inline constexpr Rgba kHeaderTop = Hex(0x1A3C45);
inline constexpr Rgba kHeaderBottom = Hex(0x15333B);
inline constexpr Rgba kCardBorder = Hex(0x25474F);
inline constexpr Rgba kLine = Hex(0x1F3F46);

inline constexpr Rgba kAccent = Hex(0x2BB3A8);
inline constexpr Rgba kAccentBright = Hex(0x52D6CA);
inline constexpr Rgba kAccentDeep = Hex(0x1A7F77);

inline constexpr Rgba kField = Hex(0x0A1619);
inline constexpr Rgba kFieldTop = Hex(0x071113);
inline constexpr Rgba kFieldBorder = Hex(0x2C525A);
inline constexpr Rgba kMuted = Hex(0x6E8E95);
inline constexpr Rgba kText = Hex(0xF0F0F0);  // clBtnFace on the wizard's screens
inline constexpr Rgba kSubtleText = Hex(0x9FB8BC);

inline constexpr Rgba kWarning = Hex(0xF2B233);
inline constexpr Rgba kError = Hex(0xE5534B);

}  // namespace skin::palette
