#include "writer.h"

#include <jpeglib.h>

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace skin {

void WritePng(const Canvas& c, const std::string& path) {
  cairo_surface_flush(c.surface());
  if (cairo_surface_write_to_png(c.surface(), path.c_str()) != CAIRO_STATUS_SUCCESS) {
    throw std::runtime_error("cannot write " + path);
  }
}

void WriteJpeg(const Canvas& c, const std::string& path, int quality) {
  cairo_surface_flush(c.surface());
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) throw std::runtime_error("cannot write " + path);
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, out);
  info.image_width = static_cast<JDIMENSION>(c.width());
  info.image_height = static_cast<JDIMENSION>(c.height());
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  info.optimize_coding = TRUE;
  for (int i = 0; i < info.num_components; ++i) {
    info.comp_info[i].h_samp_factor = 1;
    info.comp_info[i].v_samp_factor = 1;
  }
  jpeg_start_compress(&info, TRUE);
  const unsigned char* data = cairo_image_surface_get_data(c.surface());
  const int stride = cairo_image_surface_get_stride(c.surface());
  std::vector<JSAMPLE> row(static_cast<size_t>(c.width()) * 3);
  while (info.next_scanline < info.image_height) {
    const auto* pixels = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(info.next_scanline) * stride);
    for (int x = 0; x < c.width(); ++x) {
      // The backgrounds are opaque, so the premultiplied channels are the colour itself.
      const uint32_t argb = pixels[x];
      row[3 * x] = static_cast<JSAMPLE>((argb >> 16) & 0xFF);
      row[3 * x + 1] = static_cast<JSAMPLE>((argb >> 8) & 0xFF);
      row[3 * x + 2] = static_cast<JSAMPLE>(argb & 0xFF);
    }
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  if (std::fclose(out) != 0) throw std::runtime_error("cannot write " + path);
}

}  // namespace skin
