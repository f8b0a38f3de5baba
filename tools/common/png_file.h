// Writing pictures as PNG files (libpng), for the tools and for test failures.
#pragma once

#include <cstdint>
#include <string>

#include "shell/pixels/pixel.h"

// Writes width x height pixels (0x00RRGGBB, `stride` pixels from one row to
// the next) as an 8-bit RGB PNG. Returns false, with a reason in `error`,
// when the file cannot be written.
bool write_png_rgb(const std::string& path, int width, int height, const Pixel* pixels, int stride,
                   std::string* error = nullptr);

// Writes width x height 8-bit grey samples, rows `stride` bytes apart.
bool write_png_grey(const std::string& path, int width, int height, const std::uint8_t* samples, int stride,
                    std::string* error = nullptr);
