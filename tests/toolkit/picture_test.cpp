#include "toolkit/picture.h"

#include <gtest/gtest.h>
#include <jpeglib.h>

#include <cstdio>
#include <cstring>

#include "encoded_pictures.h"

namespace {

std::string EncodeJpeg(int w, int h, uint8_t r, uint8_t g, uint8_t b) {
  jpeg_compress_struct info;
  jpeg_error_mgr error;
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(w);
  info.image_height = static_cast<JDIMENSION>(h);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(w) * 3);
  for (int x = 0; x < w; ++x) {
    row[3 * x] = r;
    row[3 * x + 1] = g;
    row[3 * x + 2] = b;
  }
  while (info.next_scanline < info.image_height) {
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  std::string out(reinterpret_cast<char*>(buffer), size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return out;
}

TEST(Picture, PngKeepsItsAlphaPremultiplied) {
  // Opaque red, half-transparent white, fully transparent blue.
  const std::vector<uint8_t> rgba = {255, 0, 0, 255, 255, 255, 255, 128, 0, 0, 255, 0};
  const auto bitmap = DecodePicture(EncodePng(3, 1, rgba), "row.png");
  ASSERT_EQ(bitmap->width, 3);
  ASSERT_EQ(bitmap->height, 1);
  EXPECT_EQ(bitmap->At(0, 0), 0xFFFF0000u);
  EXPECT_EQ(bitmap->At(1, 0), 0x80808080u);
  EXPECT_EQ(bitmap->At(2, 0), 0x00000000u);
}

TEST(Picture, JpegDecodesToOpaquePixels) {
  const auto bitmap = DecodePicture(EncodeJpeg(16, 8, 0x0B, 0x18, 0x1B), "bg.jpg");
  ASSERT_EQ(bitmap->width, 16);
  ASSERT_EQ(bitmap->height, 8);
  const uint32_t p = bitmap->At(7, 4);
  EXPECT_EQ(p >> 24, 0xFFu);
  EXPECT_NEAR(static_cast<int>((p >> 16) & 0xFF), 0x0B, 3);
  EXPECT_NEAR(static_cast<int>((p >> 8) & 0xFF), 0x18, 3);
  EXPECT_NEAR(static_cast<int>(p & 0xFF), 0x1B, 3);
}

TEST(Picture, BrokenFilesAreLoadingErrorsNamingThePicture) {
  std::string png = EncodePng(2, 2, std::vector<uint8_t>(16, 200));
  png.resize(png.size() / 2);
  std::string jpeg = EncodeJpeg(8, 8, 1, 2, 3);
  jpeg.resize(40);
  const std::pair<std::string, std::string> broken[] = {
      {"cut.png", png}, {"cut.jpg", jpeg}, {"text.png", "not a picture"}, {"empty.png", ""}};
  for (const auto& [name, bytes] : broken) {
    try {
      DecodePicture(bytes, name);
      ADD_FAILURE() << name << " decoded";
    } catch (const EPictureError& e) {
      EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
    }
  }
}

// A picture file tells its size from its header and decodes only when its pixels are asked for:
// a body that does not decode fails then, and again at the next ask. (A JPEG cut short still
// decodes, grey where the data ends, as libjpeg gives it.)
TEST(PictureFile, TellsItsSizeAtOnceAndDecodesItsPixelsOnFirstUse) {
  std::string cut_png = EncodePng(6, 4, std::vector<uint8_t>(96, 200));
  cut_png.resize(cut_png.size() - 20);
  const struct {
    const char* name;
    std::string bytes;
    int width, height;
    bool decodes;
  } cases[] = {
      {"whole.png", EncodePng(6, 4, std::vector<uint8_t>(96, 200)), 6, 4, true},
      {"whole.jpg", EncodeJpeg(32, 16, 1, 2, 3), 32, 16, true},
      {"cut.png", cut_png, 6, 4, false},
  };
  for (const auto& c : cases) {
    const auto file = TPictureFile::Owning(c.bytes, c.name);
    EXPECT_EQ(file->Width(), c.width) << c.name;
    EXPECT_EQ(file->Height(), c.height) << c.name;
    for (int ask = 0; ask < 2; ++ask) {
      if (c.decodes) {
        const auto& bitmap = file->Bitmap();
        ASSERT_TRUE(bitmap) << c.name;
        EXPECT_EQ(bitmap->width, c.width) << c.name;
        EXPECT_EQ(&file->Bitmap(), &bitmap) << c.name << ": decoded once";
      } else {
        EXPECT_THROW(file->Bitmap(), EPictureError) << c.name << ", ask " << ask;
      }
    }
  }
}

// A file is decoded once, also when that fails: the failure is kept, and bytes mended since are
// not read again. Bitmap() raises it every time; painting gets it the first time only and then
// draws the picture as nothing.
TEST(PictureFile, AFailedDecodingIsKeptAndReachesPaintingOnce) {
  std::string bytes = PngWhosePixelsDoNotDecode(6, 4);
  const auto file = TPictureFile::Embedded(bytes, "broken.png");
  EXPECT_THROW(file->Bitmap(), EPictureError);
  bytes[bytes.find("IDAT") + 4] ^= 0x5A;
  ASSERT_NO_THROW(DecodePicture(bytes, "mended.png"));
  EXPECT_THROW(file->Bitmap(), EPictureError) << "decoded again";
  EXPECT_THROW(file->BitmapToDraw(), EPictureError) << "the first painting";
  EXPECT_EQ(file->BitmapToDraw(), nullptr) << "a later painting";
  EXPECT_THROW(file->Bitmap(), EPictureError);
}

TEST(PictureFile, AFileWithoutAReadableHeaderIsRefusedAtOnce) {
  std::string jpeg = EncodeJpeg(8, 8, 1, 2, 3);
  jpeg.resize(40);
  const std::pair<std::string, std::string> broken[] = {
      {"header.png", EncodePng(2, 2, std::vector<uint8_t>(16, 200)).substr(0, 20)},
      {"header.jpg", jpeg},
      {"text.png", "not a picture"},
      {"empty.png", ""}};
  for (const auto& [name, bytes] : broken) {
    try {
      TPictureFile::Owning(bytes, name);
      ADD_FAILURE() << name << " accepted";
    } catch (const EPictureError& e) {
      EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
    }
  }
}

}  // namespace
