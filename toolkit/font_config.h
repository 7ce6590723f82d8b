#pragma once

#include <pango/pango.h>

#include <vector>

#include "toolkit/font.h"

// The fonts of the painter and of text measuring: one pango font map on a fontconfig
// configuration that holds the system's fonts and the program's own aliases (the windows'
// families "Verdana" and "Tahoma" stand in with installed fonts). Made once, by the first thread
// that asks; used on the main thread only.
PangoContext* TextContext();

// Makes the text context now, on the calling thread, and lays out and draws the samples in it,
// so that their fonts are found and their glyphs loaded before a window needs them. The program
// main runs it on a helper thread while the display opens; TextContext() waits for it meanwhile.
// Does nothing once the context is made.
void PrepareTextContext(const std::vector<TTextSample>& samples);

// The alias file (toolkit/fonts/orvo-fonts.conf), built into the program.
extern const char* const kFontAliasConfig;
