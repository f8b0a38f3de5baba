// The coarse node grid that the greets and particles scenes bend: 40 x 30
// nodes, one every 16 pixels from (0, 0) to (624, 464), each holding a pixel
// position in 16.16 fixed point in 64 bits, and the pieces both scenes use to
// turn it into a 640 x 480 source map of pixel indices, one 16 x 16 cell per
// node. How the nodes move and how a cell is walked stay with each scene.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "shell/pixels/fixed_point.h"
#include "shell/pixels/screen_buffer.h"

constexpr int node_grid_columns = 40;
constexpr int node_grid_rows = 30;
constexpr int node_grid_nodes = node_grid_columns * node_grid_rows;
constexpr int node_grid_cell = 16;       // pixels between neighbouring nodes at rest: a cell's side
constexpr int node_grid_cell_shift = 4;  // node_grid_cell = 1 << 4

struct NodeGrid {
  // Node (row r, column k) is entry r * 40 + k; pixel coordinates in 16.16.
  std::array<std::int64_t, node_grid_nodes> x{};
  std::array<std::int64_t, node_grid_nodes> y{};
};

constexpr int node_grid_node(int row, int column) { return row * node_grid_columns + column; }

// Node (row, column) with a row or column one past the grid pulled back onto
// it: a cell of the last column or row takes its own node's column or row
// for the neighbour it lacks (row, column >= 0).
constexpr int node_grid_clamped_node(int row, int column) {
  return node_grid_node(std::min(row, node_grid_rows - 1), std::min(column, node_grid_columns - 1));
}

// Every node at its rest position (16k, 16r).
void node_grid_at_rest(NodeGrid& grid);

// The first entry of cell (row, column) in a 640 x 480 map.
inline std::int32_t* node_grid_cell_start(std::int32_t* map, int row, int column) {
  return map + node_grid_cell * (row * screen_width + column);
}

// One pixel's step of a cell: a sixteenth of the way from one 16.16
// coordinate to another, rounded down.
inline std::int64_t node_grid_step(std::int64_t from, std::int64_t to) {
  return shift_right(to - from, node_grid_cell_shift);
}

// The pixel index a 16.16 position reads: the pixel it lies in. A position
// off the picture gives an index outside it, even a negative one, for the
// checked gather to read as pixel 0. Positions stay within a few pixels of
// the screen, so the index fits 32 bits.
inline std::int32_t node_grid_source(std::int64_t x, std::int64_t y) {
  return static_cast<std::int32_t>(from_fixed(x) + from_fixed(y) * screen_width);
}
