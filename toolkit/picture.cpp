#include "toolkit/picture.h"

#include <png.h>
// jpeglib.h needs stdio's FILE and size_t declared before it.
#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace {

uint32_t Premultiplied(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
  auto mul = [a](uint8_t c) { return static_cast<uint32_t>((c * a + 127) / 255); };
  return (static_cast<uint32_t>(a) << 24) | (mul(r) << 16) | (mul(g) << 8) | mul(b);
}

// Decoders write straight into the bitmap: 32-bit words of the machine's byte order, so the
// bytes are B, G, R, A on a little-endian machine.
constexpr bool kLittleEndian = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;

struct Size {
  int width = 0;
  int height = 0;
};

// Reads a PNG's header, and its pixels into `bitmap` when one is given.
Size ReadPng(std::string_view bytes, const std::string& name, TBitmapData* bitmap) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
    throw EPictureError("picture " + name + ": not a readable PNG (" + image.message + ")");
  }
  const Size size{static_cast<int>(image.width), static_cast<int>(image.height)};
  if (!bitmap) {
    png_image_free(&image);
    return size;
  }
  image.format = kLittleEndian ? PNG_FORMAT_BGRA : PNG_FORMAT_ARGB;
  bitmap->width = size.width;
  bitmap->height = size.height;
  bitmap->pixels.resize(static_cast<size_t>(image.width) * image.height);
  if (!png_image_finish_read(&image, nullptr, bitmap->pixels.data(), 0, nullptr)) {
    const std::string message = image.message;
    png_image_free(&image);
    throw EPictureError("picture " + name + ": PNG decoding failed (" + message + ")");
  }
  for (uint32_t& pixel : bitmap->pixels) {
    const uint8_t a = static_cast<uint8_t>(pixel >> 24);
    if (a != 255) {
      pixel = Premultiplied(static_cast<uint8_t>(pixel >> 16), static_cast<uint8_t>(pixel >> 8),
                            static_cast<uint8_t>(pixel), a);
    }
  }
  return size;
}

struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnJpegError(j_common_ptr info) {
  auto* error = reinterpret_cast<JpegError*>(info->err);
  (*info->err->format_message)(info, error->message);
  std::longjmp(error->jump, 1);
}

// Reads a JPEG's header, and its pixels into `bitmap` when one is given. The bitmap is reached
// through a pointer made before setjmp, so nothing that the decoding changes is a local whose
// value a longjmp back would leave undefined.
Size ReadJpeg(std::string_view bytes, const std::string& name, TBitmapData* bitmap) {
  jpeg_decompress_struct info;
  JpegError error;
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = OnJpegError;
  error.message[0] = 0;
  if (setjmp(error.jump)) {
    jpeg_destroy_decompress(&info);
    throw EPictureError("picture " + name + (bitmap ? ": JPEG decoding failed (" : ": not a readable JPEG (") +
                        error.message + ")");
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info, TRUE);
  const Size size{static_cast<int>(info.image_width), static_cast<int>(info.image_height)};
  if (bitmap) {
    // Opaque pixels in the bitmap's word order, alpha set by the decoder.
    info.out_color_space = kLittleEndian ? JCS_EXT_BGRA : JCS_EXT_ARGB;
    jpeg_start_decompress(&info);
    bitmap->width = static_cast<int>(info.output_width);
    bitmap->height = static_cast<int>(info.output_height);
    bitmap->pixels.resize(static_cast<size_t>(info.output_width) * info.output_height);
    while (info.output_scanline < info.output_height) {
      JSAMPROW rows[1] = {reinterpret_cast<JSAMPROW>(bitmap->pixels.data() +
                                                     static_cast<size_t>(info.output_scanline) * info.output_width)};
      jpeg_read_scanlines(&info, rows, 1);
    }
    jpeg_finish_decompress(&info);
  }
  jpeg_destroy_decompress(&info);
  return size;
}

enum class Format { kPng, kJpeg };

Format FormatOf(std::string_view bytes, const std::string& name) {
  static const unsigned char kPng[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  static const unsigned char kJpeg[] = {0xFF, 0xD8, 0xFF};
  if (bytes.size() >= sizeof kPng && std::memcmp(bytes.data(), kPng, sizeof kPng) == 0) return Format::kPng;
  if (bytes.size() >= sizeof kJpeg && std::memcmp(bytes.data(), kJpeg, sizeof kJpeg) == 0) return Format::kJpeg;
  throw EPictureError("picture " + name + ": neither PNG nor JPEG");
}

Size ReadPicture(std::string_view bytes, const std::string& name, TBitmapData* bitmap) {
  return FormatOf(bytes, name) == Format::kPng ? ReadPng(bytes, name, bitmap) : ReadJpeg(bytes, name, bitmap);
}

}  // namespace

std::shared_ptr<const TBitmapData> DecodePicture(std::string_view bytes, const std::string& name) {
  auto bitmap = std::make_shared<TBitmapData>();
  ReadPicture(bytes, name, bitmap.get());
  return bitmap;
}

TPictureFile::TPictureFile(std::string owned, std::string_view bytes, std::string name)
    : owned_(std::move(owned)), bytes_(owned_.empty() ? bytes : owned_), name_(std::move(name)) {
  const Size size = ReadPicture(bytes_, name_, nullptr);
  width_ = size.width;
  height_ = size.height;
}

std::shared_ptr<const TPictureFile> TPictureFile::Embedded(std::string_view bytes, std::string name) {
  return std::shared_ptr<const TPictureFile>(new TPictureFile(std::string(), bytes, std::move(name)));
}

std::shared_ptr<const TPictureFile> TPictureFile::Owning(std::string bytes, std::string name) {
  return std::shared_ptr<const TPictureFile>(new TPictureFile(std::move(bytes), std::string_view(), std::move(name)));
}

std::shared_ptr<const TPictureFile> TPictureFile::FromPixels(std::shared_ptr<const TBitmapData> pixels,
                                                             std::string name) {
  std::shared_ptr<TPictureFile> picture(new TPictureFile(std::move(name)));
  picture->width_ = pixels->width;
  picture->height_ = pixels->height;
  picture->bitmap_ = std::move(pixels);
  return picture;
}

void TPictureFile::DecodeOnce() const {
  if (bitmap_ || failure_) return;
  try {
    bitmap_ = DecodePicture(bytes_, name_);
  } catch (const EPictureError& e) {
    failure_ = e.what();
  }
}

const std::shared_ptr<const TBitmapData>& TPictureFile::Bitmap() const {
  std::lock_guard<std::mutex> lock(mutex_);
  DecodeOnce();
  if (failure_) throw EPictureError(*failure_);
  return bitmap_;
}

const std::shared_ptr<const TBitmapData>& TPictureFile::BitmapToDraw() const {
  std::lock_guard<std::mutex> lock(mutex_);
  DecodeOnce();
  if (failure_ && !failure_drawn_) {
    failure_drawn_ = true;
    throw EPictureError(*failure_);
  }
  return bitmap_;
}

const std::shared_ptr<const TBitmapData>& TPicture::BitmapToDraw() const {
  static const std::shared_ptr<const TBitmapData> kNone;
  return file_ ? file_->BitmapToDraw() : kNone;
}
