// Clipped, two-pixel-wide lines added with per-byte unsigned saturation:
// the lines of the point lattice and of the other wire figures.
#pragma once

#include "shell/pixels/pixel.h"

// Draws the line from (x1, y1) to (x2, y2), in screen pixels, into the
// 640 x 480 pixels at `destination`.
//
// The end points are first pulled onto the screen border one after another
// (x1, then y1, then x2, then y2, each step using the values the previous
// ones left), so a line wholly beyond one side may leave a short line or a
// dot on the border; then they are truncated towards zero. A line whose end
// points still fall outside the screen or are not finite is dropped.
//
// Bresenham steps along the major axis from the end with the smaller major
// coordinate. Each pixel reached gets `colour` added, and so does its
// right-hand neighbour (in the next row for column 639, none for the very
// last pixel). The start pixel of an x-major line becomes the larger of its
// value and `colour` (compared as 32-bit numbers); that of a y-major line is
// left alone.
void draw_line_add(double x1, double y1, double x2, double y2, Pixel colour, Pixel* destination);
