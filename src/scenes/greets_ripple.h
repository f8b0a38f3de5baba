// The greets scene's ring-wave warp: a coarse grid of nodes that swing
// towards and away from the screen centre in rings spreading outwards, and
// the per-pixel source map built from it each frame.
//
// The nodes are those of the shared node grid (render/node_grid.h). The map
// is a ScreenBuffer-sized table of pixel indices, read by gather_pixels:
// nodes pulled onto the bottom edge give indices past the picture, which the
// checked gather reads as pixel 0.
#pragma once

#include "render/node_grid.h"

struct RippleGrid : NodeGrid {
  // The wave's front, in pixels of half the distance to the centre: 0 at
  // program start, 10 more each frame, back to 0 where it would reach 400.
  double phase = 0.0;
};

// Every node at its rest position (16k, 16r); the phase is left alone.
void greets_ripple_grid_at_rest(RippleGrid& grid);

// Advances the phase by one frame and moves every node for it. A node moves
// along its line to the centre and never crosses the screen's middle lines
// (x = 320, y = 240); nodes swung outwards past the edges stop on them.
void greets_build_ripple_grid(RippleGrid& grid);

// Fills the 307,200 pixel indices of `map`: each 16 x 16 cell walks from its
// top-left node, down towards the node below and across towards the node on
// the right (the last column and row use their own node instead).
void greets_build_grid_map(const RippleGrid& grid, std::int32_t* map);
