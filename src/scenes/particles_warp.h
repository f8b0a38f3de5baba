// The particles scene's feedback warp: a coarse grid of nodes, some of which
// shiver by a pixel from frame to frame, and the per-pixel source map built
// from it, plus the fixed table that takes every pixel two rows up.
//
// The nodes are those of the shared node grid (render/node_grid.h). The maps
// are ScreenBuffer-sized tables of 307,200 signed pixel indices, read by
// gather_pixels; a border node jittered outwards gives indices outside the
// picture, even negative ones, which the checked gather reads as pixel 0.
#pragma once

#include "render/node_grid.h"

constexpr int particles_warp_jitter_period = 4;  // frames between two moves of one node

struct WarpGrid : NodeGrid {
  int phase = 0;  // which quarter of the shivering nodes moved last (0..3)
};

// Every node at its rest position (16k, 16j); the phase back to 0.
void particles_warp_grid_at_rest(WarpGrid& grid);

// Advances the phase (the first call uses 1), then moves each node whose row
// and column are both congruent to the phase modulo 4 to its rest position
// plus a fresh -1, 0 or +1 pixel in x, then in y: two rand() draws per node,
// row by row, left to right. Only nodes with row = column (mod 4) ever move,
// and an offset never builds up.
void particles_jitter_warp_grid(WarpGrid& grid);

// Fills `map`, cell by cell: each 16 x 16 cell walks from its top-left node
// A, its left edge towards the node below (D), its right edge from the node
// on the right (B) towards the one diagonally below (E), in sixteenths. The
// last column of cells uses A for B, the last row A for D, and E takes row
// and column only where they exist: those cells come out flattened.
void particles_build_warp_map(const WarpGrid& grid, std::int32_t* map);

// map[i] = i: every pixel its own source.
void particles_fill_identity_map(std::int32_t* map);

// table[i] = the pixel two rows above i; the top two rows map to themselves.
void particles_fill_row_shift_table(std::int32_t* table);
