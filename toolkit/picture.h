#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/exception.h"

// Decoded pixels: premultiplied ARGB, one 32-bit word per pixel in native byte order (the
// layout of cairo's ARGB32 surfaces), rows without padding.
struct TBitmapData {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// One of the framework's exceptions: the program main shows its message.
class EPictureError : public platform::Exception {
 public:
  using platform::Exception::Exception;
};

// Decodes a PNG (libpng) or JPEG (libjpeg) file held in memory; the format is told by the
// file's signature. Raises EPictureError naming `name` when the bytes cannot be decoded.
std::shared_ptr<const TBitmapData> DecodePicture(std::string_view bytes, const std::string& name);

// A picture as a control holds it: possibly empty.
class TPicture {
 public:
  bool Empty() const { return !bitmap_; }
  int Width() const { return bitmap_ ? bitmap_->width : 0; }
  int Height() const { return bitmap_ ? bitmap_->height : 0; }
  const std::shared_ptr<const TBitmapData>& Bitmap() const { return bitmap_; }
  void SetBitmap(std::shared_ptr<const TBitmapData> bitmap) { bitmap_ = std::move(bitmap); }
  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }

 private:
  std::shared_ptr<const TBitmapData> bitmap_;
  std::string name_;
};
