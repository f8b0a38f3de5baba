// The ring-wave grid and its per-pixel source map.
#include "scenes/greets_ripple.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "shell/pixels/fixed_point.h"
#include "shell/pixels/screen_buffer.h"

namespace {

constexpr int centre_x = screen_width / 2;   // 320
constexpr int centre_y = screen_height / 2;  // 240
constexpr double phase_step = 10.0;          // per frame
constexpr double phase_end = 400.0;          // never shown: the wave restarts at 0
// The ring's angular frequency per pixel: 0.005 turns with the turn taken
// as 6.28318, which is not quite 2 pi; the look was tuned with this value.
constexpr double ring_turns_per_pixel = 0.005;
constexpr double ring_turn = 6.28318;

// Where one coordinate of a node goes: from `rest`, along its offset to the
// centre by (2 swing - 1) times offset / divisor, kept on its own side of
// the middle line and within the screen.
int swung_coordinate(int rest, int offset, int divisor, double swing, int middle) {
  const int reach = offset / divisor;  // truncates towards zero
  const int moved = static_cast<int>((rest + reach) * swing + (rest - reach) * (1.0 - swing));
  return offset >= 0 ? std::clamp(moved, 0, middle) : std::clamp(moved, middle, 2 * middle);
}

}  // namespace

void greets_ripple_grid_at_rest(RippleGrid& grid) { node_grid_at_rest(grid); }

void greets_build_ripple_grid(RippleGrid& grid) {
  grid.phase += phase_step;
  if (grid.phase >= phase_end) grid.phase = 0.0;
  const int front = static_cast<int>(grid.phase);
  for (int r = 0; r < node_grid_rows; ++r) {
    for (int k = 0; k < node_grid_columns; ++k) {
      const int rest_x = node_grid_cell * k;
      const int rest_y = node_grid_cell * r;
      const int dx = centre_x - rest_x;
      const int dy = centre_y - rest_y;
      const int half_distance = static_cast<int>(std::sqrt(static_cast<double>(dx * dx + dy * dy))) / 2;
      // 0..2; the node moves (2 swing - 1) reaches towards the centre: 0.5
      // leaves it at rest, 2 pulls it in by three reaches, 0 pushes it out by one.
      const double swing = std::cos(std::abs(front - half_distance) * ring_turns_per_pixel * ring_turn) + 1.0;
      const int x = swung_coordinate(rest_x, dx, 16, swing, centre_x);
      const int y = swung_coordinate(rest_y, dy, 8, swing, centre_y);
      grid.x[node_grid_node(r, k)] = to_fixed<std::int64_t>(x);
      grid.y[node_grid_node(r, k)] = to_fixed<std::int64_t>(y);
    }
  }
}

void greets_build_grid_map(const RippleGrid& grid, std::int32_t* map) {
  for (int r = 0; r < node_grid_rows; ++r) {
    for (int k = 0; k < node_grid_columns; ++k) {
      const int a = node_grid_node(r, k);
      const int right = node_grid_clamped_node(r, k + 1);
      const int below = node_grid_clamped_node(r + 1, k);
      // The left edge, 16.16, moves a sixteenth of the way to the node below per row.
      std::int64_t edge_x = grid.x[a];
      std::int64_t edge_y = grid.y[a];
      const std::int64_t down_x = node_grid_step(grid.x[a], grid.x[below]);
      const std::int64_t down_y = node_grid_step(grid.y[a], grid.y[below]);
      // Across: a sixteenth of the whole-pixel distance to the right node, in 16.16.
      const std::int64_t across_x = to_fixed(from_fixed(grid.x[right]) - from_fixed(grid.x[a])) / node_grid_cell;
      const std::int64_t across_y = to_fixed(from_fixed(grid.y[right]) - from_fixed(grid.y[a])) / node_grid_cell;

      std::int32_t* cell = node_grid_cell_start(map, r, k);
      for (int row = 0; row < node_grid_cell; ++row) {
        std::int32_t* out = cell + row * screen_width;
        std::int64_t x = edge_x;
        std::int64_t y = edge_y;
        for (int i = 0; i < node_grid_cell; ++i) {
          out[i] = node_grid_source(x, y);  // may point outside the picture near the edges: the gather checks
          x += across_x;
          y += across_y;
        }
        edge_x += down_x;
        edge_y += down_y;
      }
    }
  }
}
