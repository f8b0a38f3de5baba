// The node grid both warping scenes share: where its nodes rest, which node
// a cell of the last column or row takes for the neighbour it lacks, where a
// cell starts in the map, and how cells step and read in 16.16.
#include "render/node_grid.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

TEST(NodeGrid, NodesRestEvery16PixelsAndTheLastColumnAndRowAreTheirOwnNeighbours) {
  NodeGrid grid;
  node_grid_at_rest(grid);
  const struct {
    int row, column;
    std::int64_t x, y;  // pixels
  } rests[] = {{0, 0, 0, 0}, {0, 1, 16, 0}, {29, 0, 0, 464}, {2, 3, 48, 32}, {29, 39, 624, 464}};
  for (const auto& c : rests) {
    const int n = node_grid_node(c.row, c.column);
    EXPECT_TRUE(grid.x[n] == c.x * 65536 && grid.y[n] == c.y * 65536) << "node (" << c.row << ", " << c.column << ")";
  }
  const struct {
    int row, column;  // as asked, up to one past the grid
    int expected;
  } neighbours[] = {{3, 4, 3 * 40 + 4}, {3, 40, 3 * 40 + 39}, {30, 4, 29 * 40 + 4}, {30, 40, 29 * 40 + 39}};
  for (const auto& c : neighbours) {
    EXPECT_EQ(node_grid_clamped_node(c.row, c.column), c.expected) << "node (" << c.row << ", " << c.column << ")";
  }
  std::vector<std::int32_t> map(screen_pixels);
  EXPECT_EQ(node_grid_cell_start(map.data(), 29, 39) - map.data(), 464 * 640 + 624) << "the last cell's first entry";
}

TEST(NodeGrid, StepsRoundDownAndPositionsReadThePixelTheyLieIn) {
  const struct {
    std::int64_t from, to, expected;  // 16.16
  } steps[] = {{0, 16 * 65536, 65536}, {65536, 0, -4096}, {0, 15, 0}, {0, -1, -1} /* down, not towards zero */, {-17, 0, 1}};
  for (const auto& s : steps) {
    EXPECT_EQ(node_grid_step(s.from, s.to), s.expected) << "from " << s.from << " to " << s.to;
  }
  const struct {
    std::int64_t x, y;  // 16.16
    std::int32_t expected;
  } sources[] = {
      {0, 0, 0},
      {639 * 65536 + 65535, 479 * 65536 + 65535, 307199},
      {-1, 0, -1},                         // just left of the picture: pixel -1
      {0, -32768, -640},                   // half a pixel above: row -1
      {640 * 65536, 479 * 65536, 307200},  // the right edge reads the next row's first pixel
  };
  for (const auto& s : sources) {
    EXPECT_EQ(node_grid_source(s.x, s.y), s.expected) << "position (" << s.x << ", " << s.y << ") in 16.16";
  }
}

}  // namespace
