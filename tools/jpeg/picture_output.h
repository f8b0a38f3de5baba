// Writing a decoded picture as PPM, PGM or PNG, chosen by the file's extension.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class PictureFormat { ppm, pgm, png, unknown };

PictureFormat picture_format_of(const std::string& path);

// A whole decoded picture: 1 byte per pixel (grey) or 3 (red, green, blue).
struct DecodedImage {
  int width = 0;
  int height = 0;
  int channels = 0;
  std::vector<std::uint8_t> samples;
};

// Returns false, with a reason in `error`, when the file cannot be written.
// Precondition: PPM only for 3 channels, PGM only for 1.
bool write_picture(const std::string& path, PictureFormat format, const DecodedImage& image, std::string* error);
