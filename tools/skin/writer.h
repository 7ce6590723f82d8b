#pragma once

#include <string>

#include "canvas.h"

namespace skin {

void WritePng(const Canvas& c, const std::string& path);
// For the large opaque backgrounds; full-resolution colour so the thin lines stay crisp.
void WriteJpeg(const Canvas& c, const std::string& path, int quality);

}  // namespace skin
