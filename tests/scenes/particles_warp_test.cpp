// The particles warp: the map a still grid gives, which nodes the jitter
// moves and how far, and the fixed tables of the feedback.
#include "scenes/particles_warp.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <vector>

#include "shell/screen_buffer.h"

namespace {

constexpr std::int64_t fixed_pixel = 65536;

std::int64_t rest_x(int k) { return warp_cell * k * fixed_pixel; }
std::int64_t rest_y(int j) { return warp_cell * j * fixed_pixel; }

// Reports the first few pixels where `map` differs from `expected(x, y)`.
template <typename Expected>
void expect_map(const std::vector<std::int32_t>& map, Expected expected, const char* what) {
  int wrong = 0;
  for (int y = 0; y < screen_height; ++y) {
    for (int x = 0; x < screen_width; ++x) {
      const std::int32_t want = expected(x, y);
      const std::int32_t got = map[y * screen_width + x];
      if (got != want && wrong++ < 5) {
        ADD_FAILURE() << what << ": pixel (" << x << ", " << y << ") expected " << want << ", got " << got;
      }
    }
  }
  EXPECT_EQ(wrong, 0) << what << ": pixels wrong";
}

TEST(ParticlesWarp, AStillGridIsTheIdentityButForTheFlattenedLastRowAndColumnOfCells) {
  WarpGrid grid;
  warp_grid_at_rest(grid);
  std::vector<std::int32_t> map(screen_pixels, -7);
  build_warp_map(grid, map.data());
  // The last column of cells takes its right edge from its own nodes, so all
  // 16 pixels of a row read column 624; the last row of cells likewise
  // stays on row 464.
  expect_map(
      map,
      [](int x, int y) {
        const int source_x = x < 624 ? x : 624;
        const int source_y = y < 464 ? y : 464;
        return source_y * screen_width + source_x;
      },
      "still grid");
}

TEST(ParticlesWarp, AMovedNodeBendsTheFourCellsAroundIt) {
  WarpGrid grid;
  warp_grid_at_rest(grid);
  // Node (row 2, column 3), at rest (48, 32), moved 16 pixels right and 8 down.
  grid.x[warp_node(2, 3)] += 16 * fixed_pixel;
  grid.y[warp_node(2, 3)] += 8 * fixed_pixel;
  std::vector<std::int32_t> map(screen_pixels);
  build_warp_map(grid, map.data());
  struct Case {
    int x, y;  // pixel
    int source_x, source_y;
  };
  const Case cases[] = {
      {48, 32, 64, 40},  // the node itself: top-left of cell (2, 3)
      {56, 32, 64, 36},  // halfway along the top edge towards node (2, 4) at (64, 32)
      {48, 40, 56, 44},  // halfway down the left edge towards node (3, 3) at (48, 48)
      {47, 32, 62, 39},  // cell (2, 2), top row: 15/16 of the way from (32, 32) to the node
      {40, 32, 48, 36},  // cell (2, 2), halfway along its top row
      {48, 31, 63, 38},  // cell (1, 3), last row: 15/16 of the way from (48, 16) down to the node
      {0, 0, 0, 0},      {100, 100, 100, 100},  // cells away from the node are untouched
  };
  for (const Case& c : cases) {
    const int expected = c.source_y * screen_width + c.source_x;
    EXPECT_EQ(map[c.y * screen_width + c.x], expected) << "pixel (" << c.x << ", " << c.y << ")";
  }
}

TEST(ParticlesWarp, JitterMovesOnlyDiagonalNodesByOnePixelAtMostWithoutBuildingUp) {
  std::srand(11);
  WarpGrid grid;
  warp_grid_at_rest(grid);
  WarpGrid before = grid;
  std::set<std::int64_t> offsets_seen;
  for (int frame = 1; frame <= 400; ++frame) {
    jitter_warp_grid(grid);
    const int phase = frame % 4;
    ASSERT_EQ(grid.phase, phase) << "frame " << frame;
    for (int j = 0; j < warp_rows; ++j) {
      for (int k = 0; k < warp_columns; ++k) {
        const int n = warp_node(j, k);
        const std::int64_t dx = grid.x[n] - rest_x(k);
        const std::int64_t dy = grid.y[n] - rest_y(j);
        if (j % 4 != k % 4) {
          ASSERT_TRUE(dx == 0 && dy == 0) << "node (" << j << ", " << k << ") moved at frame " << frame;
        } else {
          ASSERT_TRUE(dx % fixed_pixel == 0 && dy % fixed_pixel == 0 && dx >= -fixed_pixel && dx <= fixed_pixel &&
                      dy >= -fixed_pixel && dy <= fixed_pixel)
              << "node (" << j << ", " << k << ") off by (" << dx << ", " << dy << ") at frame " << frame;
          offsets_seen.insert(dx / fixed_pixel);
          offsets_seen.insert(dy / fixed_pixel);
        }
        const bool due = j % 4 == phase && k % 4 == phase;
        if (!due) {
          ASSERT_TRUE(grid.x[n] == before.x[n] && grid.y[n] == before.y[n])
              << "node (" << j << ", " << k << ") moved out of turn at frame " << frame;
        }
      }
    }
    before = grid;
  }
  EXPECT_EQ(offsets_seen, (std::set<std::int64_t>{-1, 0, 1}));
}

TEST(ParticlesWarp, JitterDrawsXThenYForEachDueNodeRowByRow) {
  std::srand(5);
  std::vector<int> draws(2 * 8 * 10);
  for (int& d : draws) d = std::rand() % 3 - 1;
  std::srand(5);
  WarpGrid grid;
  warp_grid_at_rest(grid);
  jitter_warp_grid(grid);  // phase 1: rows 1, 5, ..., 29 and columns 1, 5, ..., 37
  int next = 0;
  for (int j = 1; j < warp_rows; j += 4) {
    for (int k = 1; k < warp_columns; k += 4) {
      const int n = warp_node(j, k);
      EXPECT_EQ(grid.x[n], rest_x(k) + draws[next] * fixed_pixel) << "node (" << j << ", " << k << ") x";
      EXPECT_EQ(grid.y[n], rest_y(j) + draws[next + 1] * fixed_pixel) << "node (" << j << ", " << k << ") y";
      next += 2;
    }
  }
  EXPECT_EQ(next, static_cast<int>(draws.size()));
}

TEST(ParticlesWarp, AnOutwardCornerNodeGivesIndicesOutsideThePicture) {
  WarpGrid grid;
  warp_grid_at_rest(grid);
  grid.x[warp_node(0, 0)] = -fixed_pixel;
  grid.y[warp_node(0, 0)] = -fixed_pixel;
  std::vector<std::int32_t> map(screen_pixels);
  build_warp_map(grid, map.data());
  EXPECT_EQ(map[0], -1 - screen_width) << "(-1, -1) as a pixel index";
}

TEST(ParticlesWarp, RowShiftTableTakesEachPixelTwoRowsUp) {
  std::vector<std::int32_t> table(screen_pixels, -7);
  fill_row_shift_table(table.data());
  struct Case {
    int x, y;
    int source_x, source_y;
  };
  const Case cases[] = {{0, 0, 0, 0}, {639, 1, 639, 1}, {0, 2, 0, 0}, {5, 100, 5, 98}, {639, 479, 639, 477}};
  for (const Case& c : cases) {
    EXPECT_EQ(table[c.y * screen_width + c.x], c.source_y * screen_width + c.source_x)
        << "pixel (" << c.x << ", " << c.y << ")";
  }
  std::vector<std::int32_t> identity(screen_pixels, -7);
  fill_identity_map(identity.data());
  for (int i = 0; i < screen_pixels; i += 997) EXPECT_EQ(identity[i], i);
  EXPECT_EQ(identity[screen_pixels - 1], screen_pixels - 1);
}

}  // namespace
