// A texture-mapping scan converter for convex quadrilaterals over 640 x 480
// tables of 32-bit entries: the whole 640 x 480 texture is stretched over
// the quad, entries copied as they are (they need not be colours). The
// starwarp scene turns its warp table with it.
//
// Positions are stepped in 16.16 fixed point down two chains of edges; the
// texture coordinates follow the left chain and, across each row, the plane
// through the first three vertices of the left chain (a left chain of only
// the top and bottom corners takes the right chain's next corner as third).
// For a parallelogram that plane is the whole quad's.
#pragma once

#include <array>
#include <cstdint>

// A quad corner in screen pixels.
struct QuadCorner {
  int x = 0;
  int y = 0;
};

// Corners farther than this from the origin on either axis make map_quad
// draw nothing: it keeps every 16.16 position and edge step inside 32 bits.
constexpr int map_quad_corner_limit = 16383;

// Draws the convex quad with screen corners `corners` into the 640 x 480
// table `destination`, mapping the 640 x 480 `texture` onto it: the corners
// take texture corners (0, 0), (640, 0), (640, 480), (0, 480) in that order.
//
// Row y of the quad covers the pixels from its left edge's x up to, but not
// including, its right edge's x (both truncated to whole pixels), for rows
// top <= y < bottom; entries outside the quad keep what they held.
//
// Soundness: writes stay inside the 640 x 480 destination; texture reads are
// clamped to columns 0..639 and rows 0..479 (rounding at the edges reaches
// 640 and 480); a quad with no height, with a first triangle of no area, or
// with a corner beyond map_quad_corner_limit draws nothing.
void map_quad(const std::array<QuadCorner, 4>& corners, const std::int32_t* texture, std::int32_t* destination);
