#pragma once

#include <pango/pango.h>

// The fonts of the painter and of text measuring: one pango font map on a fontconfig
// configuration that holds the system's fonts and the program's own aliases (the windows'
// families "Verdana" and "Tahoma" stand in with installed fonts). Made on first use, on the
// main thread; nothing else in the program uses fonts.
PangoContext* TextContext();

// The alias file (toolkit/fonts/orvo-fonts.conf), built into the program.
extern const char* const kFontAliasConfig;
