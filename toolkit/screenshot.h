#pragma once

#include <stdexcept>
#include <string>

#include "toolkit/form.h"
#include "toolkit/picture.h"

class EScreenshotError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Writes the form, as it is now (shown or not), to a PNG file; no display is needed. Raises
// EScreenshotError naming the file when it cannot be written.
void SaveFormScreenshot(const TForm& form, const std::string& png_path);

// Writes premultiplied ARGB pixels to a PNG file (with their alpha).
void SaveBitmapPng(const TBitmapData& bitmap, const std::string& png_path);
