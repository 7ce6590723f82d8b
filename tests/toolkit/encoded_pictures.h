#pragma once

// Picture files that tests make: PNG through libpng's simplified API.

#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

inline std::string EncodePng(int w, int h, const std::vector<uint8_t>& rgba) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(w);
  image.height = static_cast<png_uint_32>(h);
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr);
  std::string out(size, '\0');
  EXPECT_TRUE(png_image_write_to_memory(&image, out.data(), &size, 0, rgba.data(), 0, nullptr));
  out.resize(size);
  return out;
}

// A w x h PNG whose header reads but whose pixels do not decode: the first byte of its image
// data is changed, so that the compressed data no longer reads.
inline std::string PngWhosePixelsDoNotDecode(int w, int h) {
  std::string png = EncodePng(w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h * 4, 200));
  png[png.find("IDAT") + 4] ^= 0x5A;
  return png;
}
