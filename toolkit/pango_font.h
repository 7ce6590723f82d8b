#pragma once

#include <pango/pango.h>

#include <memory>
#include <string>

#include "toolkit/font.h"

// The pango description of a control's font: the family first, then the installed sans fonts
// that stand in for it where it is missing; the height is the character height in pixels.
struct PangoFontDescriptionDeleter {
  void operator()(PangoFontDescription* d) const { pango_font_description_free(d); }
};
using PangoFontDescriptionPtr = std::unique_ptr<PangoFontDescription, PangoFontDescriptionDeleter>;
PangoFontDescriptionPtr MakeFontDescription(const TFont& font);
