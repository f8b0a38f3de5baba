// The particles warp: the maps a still and a bent grid give, which nodes
// the jitter moves and how far, and the row-shift table.
#include "scenes/particles_warp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <vector>

#include "shell/pixels/fixed_point.h"
#include "shell/pixels/screen_buffer.h"

namespace {

constexpr std::int64_t fixed_pixel = fixed_one;

int pixel(int x, int y) { return y * screen_width + x; }

TEST(ParticlesWarp, AStillGridIsTheIdentityButForTheFlattenedLastRowAndColumnOfCells) {
  WarpGrid grid;
  particles_warp_grid_at_rest(grid);
  std::vector<std::int32_t> map(screen_pixels, -7);
  particles_build_warp_map(grid, map.data());
  // The last column of cells has no node to its right: all its pixels read
  // column 624; likewise the last row of cells reads row 464.
  for (int i = 0; i < screen_pixels; ++i) {
    const int x = i % screen_width, y = i / screen_width;
    ASSERT_EQ(map[i], pixel(std::min(x, 624), std::min(y, 464))) << "(" << x << ", " << y << ")";
  }
}

TEST(ParticlesWarp, AMovedNodeBendsTheCellsAroundIt) {
  WarpGrid grid;
  particles_warp_grid_at_rest(grid);
  // Node (row 2, column 3), at rest (48, 32), moved 16 pixels right and 8 down;
  // node (0, 0) one pixel up and left, outside the picture.
  grid.x[node_grid_node(2, 3)] += 16 * fixed_pixel;
  grid.y[node_grid_node(2, 3)] += 8 * fixed_pixel;
  grid.x[node_grid_node(0, 0)] = grid.y[node_grid_node(0, 0)] = -fixed_pixel;
  std::vector<std::int32_t> map(screen_pixels);
  particles_build_warp_map(grid, map.data());
  struct Case {
    int x, y, expected;
  };
  const Case cases[] = {
      {48, 32, pixel(64, 40)},  // the node itself
      {56, 32, pixel(64, 36)},  // halfway along the top edge towards node (2, 4) at (64, 32)
      {48, 40, pixel(56, 44)},  // halfway down the left edge towards node (3, 3) at (48, 48)
      {47, 32, pixel(62, 39)},  // cell (2, 2): 15/16 of the way from (32, 32) to the node
      {48, 31, pixel(63, 38)},  // cell (1, 3): 15/16 of the way from (48, 16) down to the node
      {100, 100, pixel(100, 100)},
      {0, 0, pixel(-1, -1)},  // a negative index, for the checked gather to absorb
  };
  for (const Case& c : cases) EXPECT_EQ(map[pixel(c.x, c.y)], c.expected) << "pixel (" << c.x << ", " << c.y << ")";
}

TEST(ParticlesWarp, JitterMovesOnlyDiagonalNodesInTurnByOnePixelAtMostWithoutBuildingUp) {
  std::srand(11);
  WarpGrid grid;
  particles_warp_grid_at_rest(grid);
  const WarpGrid rest = grid;
  std::set<std::int64_t> offsets_seen;
  for (int frame = 1; frame <= 400; ++frame) {
    const WarpGrid before = grid;
    particles_jitter_warp_grid(grid);
    for (int j = 0; j < node_grid_rows; ++j) {
      for (int k = 0; k < node_grid_columns; ++k) {
        const int n = node_grid_node(j, k);
        const std::int64_t dx = grid.x[n] - rest.x[n], dy = grid.y[n] - rest.y[n];
        const bool due = j % 4 == frame % 4 && k % 4 == frame % 4;
        if (!due) {
          ASSERT_TRUE(grid.x[n] == before.x[n] && grid.y[n] == before.y[n])
              << "node (" << j << ", " << k << ") moved out of turn at frame " << frame;
        }
        ASSERT_TRUE(dx % fixed_pixel == 0 && dy % fixed_pixel == 0 && std::abs(dx) <= fixed_pixel &&
                    std::abs(dy) <= fixed_pixel && (j % 4 == k % 4 || (dx == 0 && dy == 0)))
            << "node (" << j << ", " << k << ") off by (" << dx << ", " << dy << ") at frame " << frame;
        offsets_seen.insert(dx / fixed_pixel);
      }
    }
  }
  EXPECT_EQ(offsets_seen, (std::set<std::int64_t>{-1, 0, 1}));
}

TEST(ParticlesWarp, RowShiftTableTakesEachPixelTwoRowsUpButTheTopTwoRows) {
  std::vector<std::int32_t> table(screen_pixels, -7);
  particles_fill_row_shift_table(table.data());
  const int cases[][3] = {{0, 0, pixel(0, 0)}, {639, 1, pixel(639, 1)}, {0, 2, pixel(0, 0)}, {639, 479, pixel(639, 477)}};
  for (const auto& c : cases) EXPECT_EQ(table[pixel(c[0], c[1])], c[2]) << "pixel (" << c[0] << ", " << c[1] << ")";
}

}  // namespace
