// Picture loading: JPEG pictures through our decoder, and the portrait
// bitmaps. Nothing is written to a destination that cannot hold the picture.
#include "data/picture_loader.h"

#include <cstdio>
#include <vector>

#include "data/jpeg_file_stream.h"
#include "jpeg/jpeg_decoder.h"
#include "shell/pixels/screen_buffer.h"

namespace {

// Every destination in the demo is a ScreenBuffer or the staging surface.
constexpr long destination_capacity = screen_pixels;

void report_open_failure(const char* path) { std::printf("Error: Unable to open file \"%s\" for reading!\n", path); }

void report_decoder_failure(const JpegDecoder& decoder) {
  std::printf("Error: Decoder failed! Error status: %i\n", decoder.error_code());
}

// Bitmap layout: 14-byte file header, 40-byte information header, 256
// four-byte palette entries, then rows bottom first, each padded to 4 bytes.
constexpr long bitmap_pixel_offset = 14 + 40 + 256 * 4;

}  // namespace

void load_jpeg_picture(const char* path, Pixel* destination) {
  JpegFileStream stream;
  if (!stream.open(path)) {
    report_open_failure(path);
    return;
  }
  JpegDecoder decoder(&stream);
  if (decoder.error_code() != 0) {
    report_decoder_failure(decoder);
    return;
  }
  // Checked before the component count: an oversized greyscale picture,
  // which would not be written anyway, is refused with this message too.
  if (static_cast<long>(decoder.width()) * decoder.height() > destination_capacity) {
    std::printf("Error: Picture \"%s\" is %ix%i, more than the %li pixels of its destination!\n", path, decoder.width(),
                decoder.height(), destination_capacity);
    return;
  }
  if (decoder.begin() != 0) {
    report_decoder_failure(decoder);
    return;
  }
  // Greyscale pictures are decoded but not written.
  const bool colour = decoder.component_count() == 3;
  const int width = decoder.width();
  const std::uint8_t* line = nullptr;
  int line_length = 0;
  Pixel* row = destination;
  while (decoder.decode(&line, &line_length) == 0) {
    if (!colour) continue;
    for (int x = 0; x < width; ++x) row[x] = pixel_rgb(line[4 * x], line[4 * x + 1], line[4 * x + 2]);
    row += width;
  }
  if (decoder.error_code() != 0) report_decoder_failure(decoder);
}

void load_bmp_picture(int width, int height, const char* path, Pixel* destination) {
  if (width <= 0 || height <= 0 || static_cast<long>(width) * height > destination_capacity) {
    std::printf("Error: Bitmap \"%s\" cannot be %ix%i pixels!\n", path, width, height);
    return;
  }
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    report_open_failure(path);
    return;
  }
  // Read everything first, so that a short file leaves the destination as it was.
  const long row_bytes = (width + 3L) / 4 * 4;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(bitmap_pixel_offset + row_bytes * height));
  const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  if (got != bytes.size()) {
    std::printf("Error: Bitmap \"%s\" is too short for %ix%i pixels!\n", path, width, height);
    return;
  }
  // Palette index 0 is white and every other index black, whatever the
  // palette says; the bottom row comes first.
  for (int r = 0; r < height; ++r) {
    const std::uint8_t* indices = bytes.data() + bitmap_pixel_offset + r * row_bytes;
    Pixel* row = destination + static_cast<long>(height - 1 - r) * width;
    for (int x = 0; x < width; ++x) row[x] = indices[x] == 0 ? pixel_rgb(255, 255, 255) : pixel_rgb(0, 0, 0);
  }
}
