// The node grid both warping scenes share: where its nodes rest, which node
// a cell of the last column or row takes for the neighbour it lacks, where a
// cell starts in the map, and how cells step and read in 16.16.
#include "render/node_grid.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

TEST(NodeGrid, NodesRestEvery16PixelsAndCellsStepAndReadIn16Point16) {
  NodeGrid grid;
  node_grid_at_rest(grid);
  for (const auto& [row, column] : {std::pair{0, 0}, {0, 1}, {29, 0}, {2, 3}, {29, 39}}) {
    const int n = node_grid_node(row, column);
    EXPECT_TRUE(n == row * 40 + column && grid.x[n] == 16 * column * 65536 && grid.y[n] == 16 * row * 65536)
        << "node (" << row << ", " << column << ")";
  }
  // A cell of the last column or row takes its own node's column or row for the neighbour it lacks.
  const int neighbours[][3] = {{3, 4, 3 * 40 + 4}, {3, 40, 3 * 40 + 39}, {30, 4, 29 * 40 + 4}, {30, 40, 29 * 40 + 39}};
  for (const auto& [row, column, node] : neighbours) {
    EXPECT_EQ(node_grid_clamped_node(row, column), node) << "(" << row << ", " << column << ")";
  }
  std::vector<std::int32_t> map(screen_pixels);
  EXPECT_EQ(node_grid_cell_start(map.data(), 29, 39) - map.data(), 464 * 640 + 624) << "the last cell's first entry";

  // Steps: a sixteenth of the way, rounded down (not towards zero).
  const std::int64_t steps[][3] = {{0, 16 * 65536, 65536}, {65536, 0, -4096}, {0, 15, 0}, {0, -1, -1}, {-17, 0, 1}};
  for (const auto& [from, to, step] : steps) EXPECT_EQ(node_grid_step(from, to), step) << from << " to " << to;
  // Sources: the pixel a position lies in; off the picture, an index outside it.
  const std::int64_t sources[][3] = {{0, 0, 0},
                                     {639 * 65536 + 65535, 479 * 65536 + 65535, 307199},
                                     {-1, 0, -1},                          // just left of the picture
                                     {0, -32768, -640},                    // half a pixel above: row -1
                                     {640 * 65536, 479 * 65536, 307200}};  // the right edge: the next row's first
  for (const auto& [x, y, index] : sources) EXPECT_EQ(node_grid_source(x, y), index) << "(" << x << ", " << y << ")";
}
