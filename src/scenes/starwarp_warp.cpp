// The warp table, the seed painting and the spin square of the starwarp scene.
#include "scenes/starwarp_warp.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "shell/pixels/screen_buffer.h"

namespace {

constexpr int centre_x = screen_width / 2;   // 320
constexpr int centre_y = screen_height / 2;  // 240
constexpr int warp_pull = 8;                 // a pixel samples 1/8 of the way to the centre
constexpr int jitter_values = 3;             // r1, r2 in 0..2

constexpr int left_seed_x = 307;
constexpr int right_seed_x = left_seed_x + 26;  // 333
constexpr int bar_first_row = 230;
constexpr int bar_end_row = 250;
constexpr int bar_width = 6;  // 302..307 and 333..338

constexpr double half_side = 320.0;  // of the spin square

// The step towards the centre along one axis from an offset `c`: an eighth
// of it, truncated, but at least 1; sign(0) counts as +.
int step_towards_centre(int c) {
  const int magnitude = std::max(1, std::abs(c / warp_pull));
  return c >= 0 ? magnitude : -magnitude;
}

}  // namespace

std::int32_t starwarp_warp_table_entry(int x, int y, int r1, int r2) {
  const int dx = step_towards_centre(centre_x - x + r1);
  const int dy = step_towards_centre(centre_y - y + r2);
  return (y + dy) * screen_width + (x + dx);
}

void starwarp_build_warp_table(std::int32_t* table) {
  for (int y = 0; y < screen_height; ++y) {
    for (int x = 0; x < screen_width; ++x) {
      const int r1 = std::rand() % jitter_values;
      const int r2 = std::rand() % jitter_values;
      table[y * screen_width + x] = starwarp_warp_table_entry(x, y, r1, r2);
    }
  }
}

int starwarp_palette_column(double column) {
  // Compared as a double first: a huge or non-finite value has no int.
  if (!(column > 0.0)) return 0;
  if (column >= screen_width - 1) return screen_width - 1;
  return static_cast<int>(column);
}

void starwarp_seed_lines(double column, const Pixel* palette, Pixel* destination) {
  const int x = starwarp_palette_column(column);
  for (int y = 0; y < screen_height; ++y) {
    const Pixel colour = palette[y * screen_width + x];
    destination[y * screen_width + left_seed_x] = colour;
    destination[y * screen_width + right_seed_x] = colour;
  }
}

void starwarp_seed_bars(double column, const Pixel* palette, Pixel* destination) {
  const int x = starwarp_palette_column(column);
  for (int y = bar_first_row; y < bar_end_row; ++y) {
    const Pixel colour = palette[y * screen_width + x];
    Pixel* row = destination + y * screen_width;
    for (int k = 0; k < bar_width; ++k) {
      row[right_seed_x + k] = colour;
      row[left_seed_x - k] = colour;
    }
  }
}

std::array<QuadCorner, 4> starwarp_spin_square(double rotation) {
  constexpr double offsets[4][2] = {
      {-half_side, -half_side}, {half_side, -half_side}, {half_side, half_side}, {-half_side, half_side}};
  const double c = std::cos(rotation);
  const double s = std::sin(rotation);
  std::array<QuadCorner, 4> corners{};
  for (int k = 0; k < 4; ++k) {
    const double px = offsets[k][0], py = offsets[k][1];
    // Within 453 of the centre: the conversions cannot overflow.
    corners[k].x = static_cast<int>(px * c - py * s) + centre_x;
    corners[k].y = static_cast<int>(px * s + py * c) + centre_y;
  }
  return corners;
}
