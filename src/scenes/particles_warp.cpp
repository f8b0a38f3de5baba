// The jittered warp grid and the source maps of the particles feedback.
#include "scenes/particles_warp.h"

#include <cstdlib>

#include "shell/pixels/fixed_point.h"
#include "shell/pixels/screen_buffer.h"

namespace {

constexpr int row_shift = 2 * screen_width;  // two rows, in pixels

// -1, 0 or +1 pixel.
int random_offset() { return std::rand() % 3 - 1; }

// A node and its step per sixteenth towards another, both coordinates.
struct Walk {
  std::int64_t x, y;
  std::int64_t step_x, step_y;
};

Walk walk_between(const WarpGrid& grid, int from, int to) {
  return {grid.x[from], grid.y[from], shift_right(grid.x[to] - grid.x[from], 4),
          shift_right(grid.y[to] - grid.y[from], 4)};
}

// One 16 x 16 cell of the map, from its two edges.
void fill_cell(Walk left, Walk right, std::int32_t* cell) {
  for (int r = 0; r < warp_cell; ++r) {
    std::int32_t* out = cell + r * screen_width;
    std::int64_t x = left.x;
    std::int64_t y = left.y;
    const std::int64_t across_x = shift_right(right.x - left.x, 4);
    const std::int64_t across_y = shift_right(right.y - left.y, 4);
    for (int c = 0; c < warp_cell; ++c) {
      // Node coordinates stay within a pixel of the screen, so this fits 32 bits.
      out[c] = static_cast<std::int32_t>(from_fixed(x) + from_fixed(y) * screen_width);
      x += across_x;
      y += across_y;
    }
    left.x += left.step_x;
    left.y += left.step_y;
    right.x += right.step_x;
    right.y += right.step_y;
  }
}

}  // namespace

void warp_grid_at_rest(WarpGrid& grid) {
  for (int j = 0; j < warp_rows; ++j) {
    for (int k = 0; k < warp_columns; ++k) {
      grid.x[warp_node(j, k)] = to_fixed<std::int64_t>(warp_cell * k);
      grid.y[warp_node(j, k)] = to_fixed<std::int64_t>(warp_cell * j);
    }
  }
  grid.phase = 0;
}

void jitter_warp_grid(WarpGrid& grid) {
  grid.phase = (grid.phase + 1) % warp_jitter_period;
  for (int j = grid.phase; j < warp_rows; j += warp_jitter_period) {
    for (int k = grid.phase; k < warp_columns; k += warp_jitter_period) {
      grid.x[warp_node(j, k)] = to_fixed<std::int64_t>(warp_cell * k + random_offset());
      grid.y[warp_node(j, k)] = to_fixed<std::int64_t>(warp_cell * j + random_offset());
    }
  }
}

void build_warp_map(const WarpGrid& grid, std::int32_t* map) {
  for (int j = 0; j < warp_rows; ++j) {
    const bool row_below = j + 1 < warp_rows;
    for (int k = 0; k < warp_columns; ++k) {
      const bool column_right = k + 1 < warp_columns;
      const int a = warp_node(j, k);
      const int b = column_right ? warp_node(j, k + 1) : a;
      const int d = row_below ? warp_node(j + 1, k) : a;
      const int e = warp_node(row_below ? j + 1 : j, column_right ? k + 1 : k);
      fill_cell(walk_between(grid, a, d), walk_between(grid, b, e),
                map + warp_cell * j * screen_width + warp_cell * k);
    }
  }
}

void fill_identity_map(std::int32_t* map) {
  for (std::int32_t i = 0; i < screen_pixels; ++i) map[i] = i;
}

void fill_row_shift_table(std::int32_t* table) {
  for (std::int32_t i = 0; i < screen_pixels; ++i) table[i] = i < row_shift ? i : i - row_shift;
}
