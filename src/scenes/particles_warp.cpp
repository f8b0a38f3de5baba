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
  return {grid.x[from], grid.y[from], node_grid_step(grid.x[from], grid.x[to]),
          node_grid_step(grid.y[from], grid.y[to])};
}

// One 16 x 16 cell of the map, from its two edges.
void fill_cell(Walk left, Walk right, std::int32_t* cell) {
  for (int r = 0; r < node_grid_cell; ++r) {
    std::int32_t* out = cell + r * screen_width;
    std::int64_t x = left.x;
    std::int64_t y = left.y;
    const std::int64_t across_x = node_grid_step(left.x, right.x);
    const std::int64_t across_y = node_grid_step(left.y, right.y);
    for (int c = 0; c < node_grid_cell; ++c) {
      out[c] = node_grid_source(x, y);
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

void particles_warp_grid_at_rest(WarpGrid& grid) {
  node_grid_at_rest(grid);
  grid.phase = 0;
}

void particles_jitter_warp_grid(WarpGrid& grid) {
  grid.phase = (grid.phase + 1) % particles_warp_jitter_period;
  for (int j = grid.phase; j < node_grid_rows; j += particles_warp_jitter_period) {
    for (int k = grid.phase; k < node_grid_columns; k += particles_warp_jitter_period) {
      grid.x[node_grid_node(j, k)] = to_fixed<std::int64_t>(node_grid_cell * k + random_offset());
      grid.y[node_grid_node(j, k)] = to_fixed<std::int64_t>(node_grid_cell * j + random_offset());
    }
  }
}

void particles_build_warp_map(const WarpGrid& grid, std::int32_t* map) {
  for (int j = 0; j < node_grid_rows; ++j) {
    for (int k = 0; k < node_grid_columns; ++k) {
      const int a = node_grid_node(j, k);
      const int b = node_grid_clamped_node(j, k + 1);
      const int d = node_grid_clamped_node(j + 1, k);
      const int e = node_grid_clamped_node(j + 1, k + 1);
      fill_cell(walk_between(grid, a, d), walk_between(grid, b, e), node_grid_cell_start(map, j, k));
    }
  }
}

void particles_fill_identity_map(std::int32_t* map) {
  for (std::int32_t i = 0; i < screen_pixels; ++i) map[i] = i;
}

void particles_fill_row_shift_table(std::int32_t* table) {
  for (std::int32_t i = 0; i < screen_pixels; ++i) table[i] = i < row_shift ? i : i - row_shift;
}
