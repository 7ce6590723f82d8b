#include "toolkit/screenshot.h"

#include <cairo.h>

#include "toolkit/painter.h"

void SaveBitmapPng(const TBitmapData& bitmap, const std::string& png_path) {
  if (bitmap.width <= 0 || bitmap.height <= 0) throw EScreenshotError(png_path + ": the picture is empty");
  cairo_surface_t* surface =
      cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(bitmap.pixels.data())),
                                          CAIRO_FORMAT_ARGB32, bitmap.width, bitmap.height, bitmap.width * 4);
  const cairo_status_t status = cairo_surface_write_to_png(surface, png_path.c_str());
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS) {
    throw EScreenshotError(png_path + ": cannot write the screenshot (" + cairo_status_to_string(status) + ")");
  }
}

void SaveFormScreenshot(const TForm& form, const std::string& png_path) { SaveBitmapPng(*RenderForm(form), png_path); }
