// Line clipping and the saturating two-pixel-wide Bresenham.
#include "render/line_draw.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "shell/pixels/screen_buffer.h"

namespace {

constexpr double right_edge = screen_width - 1;    // 639
constexpr double bottom_edge = screen_height - 1;  // 479

// Per-byte a (+) b on eight bytes at once: the low seven bits of each byte
// are summed apart, bit 7 and the carry out of it are put back by hand, and
// a byte that carried out becomes 0xFF.
std::uint64_t add_bytes_saturate(std::uint64_t a, std::uint64_t b) {
  constexpr std::uint64_t high_bits = 0x8080808080808080u;
  const std::uint64_t low_sum = (a & ~high_bits) + (b & ~high_bits);
  const std::uint64_t carry_out = ((a & b) | ((a ^ b) & low_sum)) & high_bits;
  const std::uint64_t sum = low_sum ^ ((a ^ b) & high_bits);
  return sum | (carry_out >> 7) * 0xFF;
}

// Adds `colour` to pixel `index` and to the one after it, as one packed pair.
void add_pixel_pair(Pixel* destination, int index, Pixel colour) {
  if (index + 1 < screen_pixels) {
    std::uint64_t pair;
    std::memcpy(&pair, destination + index, sizeof pair);
    pair = add_bytes_saturate(pair, static_cast<std::uint64_t>(colour) << 32 | colour);
    std::memcpy(destination + index, &pair, sizeof pair);
  } else {
    // The last pixel of the buffer has no right-hand neighbour.
    destination[index] = static_cast<Pixel>(add_bytes_saturate(destination[index], colour));
  }
}

// Truncates towards zero into 0..limit - 1; false for anything else,
// including NaN and values too large to convert.
bool truncate_onto_screen(double value, int limit, int& whole) {
  if (!(value > -1.0 && value < limit)) return false;
  whole = static_cast<int>(value);
  return true;
}

// Pulls end point a (its clipped coordinate and its other coordinate) along
// the line towards b onto the border it lies beyond, if it lies beyond one.
// The other coordinate is blended as t * a + (1 - t) * b for the first end
// point and (1 - t) * b + t * a for the second: in floating point the order
// of the sum is part of the result.
void clip_end(double& a_clip, double& a_other, double b_clip, double b_other, double edge, bool first) {
  if (a_clip >= 0.0 && a_clip < edge + 1.0) return;
  const double border = a_clip < 0.0 ? 0.0 : edge;
  const double t = (border - b_clip) / (a_clip - b_clip);
  a_clip = border;
  a_other = first ? t * a_other + (1.0 - t) * b_other : (1.0 - t) * b_other + t * a_other;
}

void draw_x_major(int x, int y, int dx, int dy, int y_step, Pixel colour, Pixel* destination) {
  int index = y * screen_width + x;
  if (destination[index] < colour) destination[index] = colour;
  int error = 2 * dy - dx;
  for (int i = 0; i < dx; ++i) {
    if (error >= 0) {
      index += y_step * screen_width;
      error += 2 * (dy - dx);
    } else {
      error += 2 * dy;
    }
    ++index;
    add_pixel_pair(destination, index, colour);
  }
}

void draw_y_major(int x, int y, int dx, int dy, int x_step, Pixel colour, Pixel* destination) {
  int index = y * screen_width + x;
  int error = 2 * dx - dy;
  for (int i = 0; i < dy; ++i) {
    if (error >= 0) {
      index += x_step;
      error += 2 * (dx - dy);
    } else {
      error += 2 * dx;
    }
    index += screen_width;
    add_pixel_pair(destination, index, colour);
  }
}

int sign(int v) { return (v > 0) - (v < 0); }

}  // namespace

void draw_line_add(double x1, double y1, double x2, double y2, Pixel colour, Pixel* destination) {
  clip_end(x1, y1, x2, y2, right_edge, true);
  clip_end(y1, x1, y2, x2, bottom_edge, true);
  clip_end(x2, y2, x1, y1, right_edge, false);
  clip_end(y2, x2, y1, x1, bottom_edge, false);

  int ax, ay, bx, by;
  if (!truncate_onto_screen(x1, screen_width, ax) || !truncate_onto_screen(y1, screen_height, ay) ||
      !truncate_onto_screen(x2, screen_width, bx) || !truncate_onto_screen(y2, screen_height, by)) {
    return;
  }
  const int dx = std::abs(bx - ax);
  const int dy = std::abs(by - ay);
  if (dx >= dy) {
    if (ax <= bx) {
      draw_x_major(ax, ay, dx, dy, sign(by - ay), colour, destination);
    } else {
      draw_x_major(bx, by, dx, dy, sign(ay - by), colour, destination);
    }
  } else if (ay <= by) {
    draw_y_major(ax, ay, dx, dy, sign(bx - ax), colour, destination);
  } else {
    draw_y_major(bx, by, dx, dy, sign(ax - bx), colour, destination);
  }
}
