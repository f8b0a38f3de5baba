// The pixel format of every picture in the demo, stated once.
//
// A pixel is a 32-bit value 0x00RRGGBB: blue in the lowest byte, then green,
// then red, and a top byte that pictures leave at 0. Pixel operations treat
// the four bytes as independent unsigned channels, the top byte included.
#pragma once

#include <cstdint>

using Pixel = std::uint32_t;

constexpr Pixel pixel_rgb(unsigned red, unsigned green, unsigned blue) {
  return (red & 0xFFu) << 16 | (green & 0xFFu) << 8 | (blue & 0xFFu);
}

constexpr unsigned pixel_red(Pixel p) { return (p >> 16) & 0xFFu; }
constexpr unsigned pixel_green(Pixel p) { return (p >> 8) & 0xFFu; }
constexpr unsigned pixel_blue(Pixel p) { return p & 0xFFu; }

// A grey level g (0..255) applied to red, green and blue alike.
constexpr Pixel pixel_grey(unsigned g) { return (g & 0xFFu) * 0x010101u; }

constexpr Pixel pixel_red_mask = 0x00FF0000u;
constexpr Pixel pixel_green_mask = 0x0000FF00u;
constexpr Pixel pixel_blue_mask = 0x000000FFu;
