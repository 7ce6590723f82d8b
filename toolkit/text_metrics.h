#pragma once

#include <string_view>

#include "toolkit/font.h"
#include "toolkit/types.h"

// The size that a single line of text takes in a font, as the painter draws it.
TPoint MeasureText(const TFont& font, std::string_view utf8);
