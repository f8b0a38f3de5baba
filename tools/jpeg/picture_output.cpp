// PPM, PGM and PNG output of the quorvane-jpeg tool.
#include "picture_output.h"

#include <cstdio>

#include "shell/pixels/pixel.h"
#include "tools/common/png_file.h"

namespace {

bool ends_with(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool write_netpbm(const std::string& path, const DecodedImage& image, std::string* error) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    *error = "cannot create " + path;
    return false;
  }
  std::fprintf(file, "P%c\n%d %d\n255\n", image.channels == 3 ? '6' : '5', image.width, image.height);
  const bool written = std::fwrite(image.samples.data(), 1, image.samples.size(), file) == image.samples.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) *error = "cannot write " + path;
  return written && closed;
}

bool write_png(const std::string& path, const DecodedImage& image, std::string* error) {
  if (image.channels == 1) {
    return write_png_grey(path, image.width, image.height, image.samples.data(), image.width, error);
  }
  std::vector<Pixel> pixels(static_cast<std::size_t>(image.width) * image.height);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = pixel_rgb(image.samples[3 * i], image.samples[3 * i + 1], image.samples[3 * i + 2]);
  }
  return write_png_rgb(path, image.width, image.height, pixels.data(), image.width, error);
}

}  // namespace

PictureFormat picture_format_of(const std::string& path) {
  if (ends_with(path, ".ppm")) return PictureFormat::ppm;
  if (ends_with(path, ".pgm")) return PictureFormat::pgm;
  if (ends_with(path, ".png")) return PictureFormat::png;
  return PictureFormat::unknown;
}

bool write_picture(const std::string& path, PictureFormat format, const DecodedImage& image, std::string* error) {
  return format == PictureFormat::png ? write_png(path, image, error) : write_netpbm(path, image, error);
}
