#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
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

// A PNG or JPEG file in memory whose pixels are decoded when they are first asked for, so that
// a program decodes only the pictures it shows. Its size is read from the file's header at once.
class TPictureFile {
 public:
  // Bytes that stay in memory as long as the program runs (embedded files). Raises
  // EPictureError naming `name` when they are neither PNG nor JPEG or their header is unreadable.
  static std::shared_ptr<const TPictureFile> Embedded(std::string_view bytes, std::string name);
  // Bytes that the picture keeps.
  static std::shared_ptr<const TPictureFile> Owning(std::string bytes, std::string name);
  // Pixels that are there already (drawn by the program).
  static std::shared_ptr<const TPictureFile> FromPixels(std::shared_ptr<const TBitmapData> pixels, std::string name);

  int Width() const { return width_; }
  int Height() const { return height_; }
  const std::string& Name() const { return name_; }
  // The pixels, decoded on the first call from whichever thread; once decoded they never
  // change. A file that does not decode raises EPictureError on this call and every later one;
  // its failure is kept, so the file is not decoded again.
  const std::shared_ptr<const TBitmapData>& Bitmap() const;
  // The pixels as painting asks for them: the same, except that a failure is raised to the
  // first painting only and the picture then draws as nothing, so that a window drawn again
  // and again (a blinking caret) reports its broken picture once.
  const std::shared_ptr<const TBitmapData>& BitmapToDraw() const;

 private:
  TPictureFile(std::string owned, std::string_view bytes, std::string name);
  explicit TPictureFile(std::string name) : name_(std::move(name)) {}
  // Under mutex_: decodes the file unless that was tried already.
  void DecodeOnce() const;

  std::string owned_;
  std::string_view bytes_;
  std::string name_;
  int width_ = 0;
  int height_ = 0;
  mutable std::mutex mutex_;
  mutable std::shared_ptr<const TBitmapData> bitmap_;
  mutable std::optional<std::string> failure_;  // why the file did not decode
  mutable bool failure_drawn_ = false;
};

// A picture as a control holds it: possibly empty.
class TPicture {
 public:
  bool Empty() const { return !file_; }
  int Width() const { return file_ ? file_->Width() : 0; }
  int Height() const { return file_ ? file_->Height() : 0; }
  // The file's pixels for painting (TPictureFile::BitmapToDraw); null for an empty picture.
  const std::shared_ptr<const TBitmapData>& BitmapToDraw() const;
  void SetFile(std::shared_ptr<const TPictureFile> file) { file_ = std::move(file); }
  // The file's name; empty for an empty picture.
  std::string Name() const { return file_ ? file_->Name() : std::string(); }

 private:
  std::shared_ptr<const TPictureFile> file_;
};
