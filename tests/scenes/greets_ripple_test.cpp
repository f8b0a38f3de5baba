// The greets scene's ring-wave grid and its source map: the phase's wrap,
// where nodes go and where they stop, and what the map reads near the edges.
#include "scenes/greets_ripple.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "shell/pixels/fixed_point.h"
#include "shell/pixels/pixel_ops.h"
#include "shell/pixels/screen_buffer.h"

namespace {

struct NodePixel {
  std::int64_t x;
  std::int64_t y;
};

NodePixel node_pixel(const RippleGrid& grid, int row, int column) {
  return {from_fixed(grid.x[node_grid_node(row, column)]), from_fixed(grid.y[node_grid_node(row, column)])};
}

// The grid as it stands after the frame that shows `front`.
RippleGrid grid_showing(int front) {
  RippleGrid grid;
  greets_ripple_grid_at_rest(grid);
  grid.phase = front == 0 ? 390.0 : front - 10.0;
  greets_build_ripple_grid(grid);
  return grid;
}

TEST(RippleGrid, PhaseWrapsFrom390To0AndNodesNeverCrossTheScreensMiddleLines) {
  RippleGrid grid;
  greets_ripple_grid_at_rest(grid);
  int moved = 0;
  for (int frame = 0; frame < 40; ++frame) {  // one whole turn of the phase
    greets_build_ripple_grid(grid);
    ASSERT_EQ(grid.phase, (frame + 1) % 40 * 10.0) << "frame " << frame << ": the phase runs in tens, 390 wraps to 0";
    for (int r = 0; r < node_grid_rows; ++r) {
      for (int k = 0; k < node_grid_columns; ++k) {
        const NodePixel p = node_pixel(grid, r, k);
        const bool left = 16 * k <= 320;
        const bool top = 16 * r <= 240;
        EXPECT_TRUE(left ? p.x >= 0 && p.x <= 320 : p.x >= 320 && p.x <= 640)
            << "phase " << grid.phase << " node (" << r << ", " << k << "): x " << p.x;
        EXPECT_TRUE(top ? p.y >= 0 && p.y <= 240 : p.y >= 240 && p.y <= 480)
            << "phase " << grid.phase << " node (" << r << ", " << k << "): y " << p.y;
        if (p.x != 16 * k || p.y != 16 * r) ++moved;
      }
    }
  }
  EXPECT_GT(moved, 0) << "the grid never moved";
}

TEST(RippleGrid, NodesSwungOutwardsStopOnTheEdges) {
  struct Case {
    int front, row, column;
    std::int64_t x, y;  // expected pixel position
  };
  // Worked by hand from the node's distance to the centre; where the swing
  // c is below 0.5 a node of the left column or top row would leave the
  // screen and stops at 0, one of the right column or bottom row at 640 or 480.
  const Case cases[] = {
      {100, 0, 0, 0, 0},      // c ~ 0: x -19 and y -29 clamp to 0
      {70, 0, 5, 65, 0},      // top row: only y leaves the screen
      {60, 14, 0, 0, 222},    // left column: only x leaves it
      {88, 29, 39, 640, 480}, // bottom right: 642 and 491 clamp
      {200, 0, 0, 60, 90},    // c = 2: pulled in by three times its reach
      {0, 0, 0, 59, 89},      // c just below 2: the turn is 6.28318, not 2 pi; the phase wrapped from 390
  };
  for (const Case& c : cases) {
    const NodePixel p = node_pixel(grid_showing(c.front), c.row, c.column);
    EXPECT_EQ(p.x, c.x) << "front " << c.front << " node (" << c.row << ", " << c.column << ")";
    EXPECT_EQ(p.y, c.y) << "front " << c.front << " node (" << c.row << ", " << c.column << ")";
  }
}

TEST(GridMap, AtRestIsTheIdentityButForTheLastColumnAndRowOfCells) {
  // The last column of cells has no node on its right, the last row none
  // below: their pixels all read their own top-left node's column or row.
  RippleGrid grid;
  greets_ripple_grid_at_rest(grid);
  ScreenBuffer map;
  greets_build_grid_map(grid, map.indices());
  for (int i = 0; i < screen_pixels; ++i) {
    const int x = i % screen_width, y = i / screen_width;
    ASSERT_EQ(map.indices()[i], std::min(x, 624) + std::min(y, 464) * screen_width) << "(" << x << ", " << y << ")";
  }
}

TEST(GridMap, NodesOnTheBottomOrRightEdgeReadPixel0OrTheNextRow) {
  RippleGrid grid;
  greets_ripple_grid_at_rest(grid);
  grid.y[node_grid_node(29, 10)] = to_fixed<std::int64_t>(480);  // two pulled onto the bottom edge
  grid.y[node_grid_node(29, 11)] = to_fixed<std::int64_t>(480);
  grid.x[node_grid_node(5, 39)] = to_fixed<std::int64_t>(640);  // two pulled onto the right edge
  grid.x[node_grid_node(6, 39)] = to_fixed<std::int64_t>(640);
  ScreenBuffer map;
  greets_build_grid_map(grid, map.indices());

  ScreenBuffer source;
  for (int i = 0; i < screen_pixels; ++i) source[i] = static_cast<Pixel>(i + 1);
  source[0] = 0x00ABCDEF;
  ScreenBuffer gathered;
  gather_pixels(map.indices(), source.pixels(), gathered.pixels());

  for (int y = 464; y < 480; ++y) {
    for (int x = 160; x < 176; ++x) {
      const int i = y * screen_width + x;
      EXPECT_GE(map.indices()[i], screen_pixels) << "(" << x << ", " << y << ")";
      EXPECT_EQ(gathered[i], 0x00ABCDEFu) << "(" << x << ", " << y << ") should read pixel 0";
    }
  }
  // Two cells to the left, still at rest: the last row of cells reads row 464.
  EXPECT_EQ(gathered[470 * screen_width + 140], static_cast<Pixel>(464 * screen_width + 140 + 1)) << "a cell at rest";
  for (int y = 80; y < 96; ++y) {
    const int first_of_next_row = (y + 1) * screen_width;
    for (int x = 624; x < 640; ++x) {
      EXPECT_EQ(map.indices()[y * screen_width + x], first_of_next_row) << "(" << x << ", " << y << ")";
    }
  }
}

}  // namespace
