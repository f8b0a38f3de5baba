// PNG writing through libpng's simplified API.
#include "tools/common/png_file.h"

#include <png.h>

#include <vector>

namespace {

bool write_png(const std::string& path, int width, int height, png_uint_32 format, const void* rows,
               int row_stride_bytes, std::string* error) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = format;
  if (png_image_write_to_file(&image, path.c_str(), 0, rows, row_stride_bytes, nullptr) == 0) {
    if (error) *error = "cannot write " + path + ": " + image.message;
    png_image_free(&image);
    return false;
  }
  return true;
}

}  // namespace

bool write_png_rgb(const std::string& path, int width, int height, const Pixel* pixels, int stride,
                   std::string* error) {
  if (width <= 0 || height <= 0 || stride < width) {
    if (error) *error = "cannot write " + path + ": bad picture size";
    return false;
  }
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
  std::uint8_t* out = rgb.data();
  for (int y = 0; y < height; ++y) {
    const Pixel* row = pixels + static_cast<std::size_t>(y) * stride;
    for (int x = 0; x < width; ++x) {
      *out++ = static_cast<std::uint8_t>(pixel_red(row[x]));
      *out++ = static_cast<std::uint8_t>(pixel_green(row[x]));
      *out++ = static_cast<std::uint8_t>(pixel_blue(row[x]));
    }
  }
  return write_png(path, width, height, PNG_FORMAT_RGB, rgb.data(), width * 3, error);
}

bool write_png_grey(const std::string& path, int width, int height, const std::uint8_t* samples, int stride,
                    std::string* error) {
  if (width <= 0 || height <= 0 || stride < width) {
    if (error) *error = "cannot write " + path + ": bad picture size";
    return false;
  }
  return write_png(path, width, height, PNG_FORMAT_GRAY, samples, stride, error);
}
