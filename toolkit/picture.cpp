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

std::shared_ptr<const TBitmapData> DecodePng(std::string_view bytes, const std::string& name) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
    throw EPictureError("picture " + name + ": not a readable PNG (" + image.message + ")");
  }
  image.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
    const std::string message = image.message;
    png_image_free(&image);
    throw EPictureError("picture " + name + ": PNG decoding failed (" + message + ")");
  }
  auto bitmap = std::make_shared<TBitmapData>();
  bitmap->width = static_cast<int>(image.width);
  bitmap->height = static_cast<int>(image.height);
  bitmap->pixels.resize(static_cast<size_t>(image.width) * image.height);
  for (size_t i = 0; i < bitmap->pixels.size(); ++i) {
    bitmap->pixels[i] = Premultiplied(rgba[4 * i], rgba[4 * i + 1], rgba[4 * i + 2], rgba[4 * i + 3]);
  }
  return bitmap;
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

std::shared_ptr<const TBitmapData> DecodeJpeg(std::string_view bytes, const std::string& name) {
  jpeg_decompress_struct info;
  JpegError error;
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = OnJpegError;
  error.message[0] = 0;
  // The locals that the decoding changes are reached through pointers made before setjmp, so
  // their values stay defined after a longjmp back to it.
  auto bitmap = std::make_shared<TBitmapData>();
  auto row_buffer = std::make_unique<std::vector<uint8_t>>();
  std::vector<uint8_t>& row = *row_buffer;
  if (setjmp(error.jump)) {
    jpeg_destroy_decompress(&info);
    throw EPictureError("picture " + name + ": JPEG decoding failed (" + error.message + ")");
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  bitmap->width = static_cast<int>(info.output_width);
  bitmap->height = static_cast<int>(info.output_height);
  bitmap->pixels.resize(static_cast<size_t>(info.output_width) * info.output_height);
  row.resize(static_cast<size_t>(info.output_width) * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW rows[1] = {row.data()};
    const size_t y = info.output_scanline;
    jpeg_read_scanlines(&info, rows, 1);
    for (size_t x = 0; x < info.output_width; ++x) {
      bitmap->pixels[y * info.output_width + x] = Premultiplied(row[3 * x], row[3 * x + 1], row[3 * x + 2], 255);
    }
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return bitmap;
}

}  // namespace

std::shared_ptr<const TBitmapData> DecodePicture(std::string_view bytes, const std::string& name) {
  static const unsigned char kPng[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  static const unsigned char kJpeg[] = {0xFF, 0xD8, 0xFF};
  if (bytes.size() >= sizeof kPng && std::memcmp(bytes.data(), kPng, sizeof kPng) == 0) return DecodePng(bytes, name);
  if (bytes.size() >= sizeof kJpeg && std::memcmp(bytes.data(), kJpeg, sizeof kJpeg) == 0) {
    return DecodeJpeg(bytes, name);
  }
  throw EPictureError("picture " + name + ": neither PNG nor JPEG");
}
