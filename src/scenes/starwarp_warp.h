// The starwarp scene's tables and drawing helpers: the warp table that pulls
// every pixel outward from the middle, the seed lines and bars painted with
// one column of the seed palette, and the corners of the turning square the
// spin maps the warp table onto.
#pragma once

#include <array>
#include <cstdint>

#include "render/map_quad.h"
#include "shell/pixels/pixel.h"

// The feedback pixel that pixel (x, y) takes its colour from, as an index
// y * 640 + x, for the jitter draws r1 and r2 (0..2): a point about an eighth
// of the way towards a centre near (320..322, 240..242) and always at least
// one pixel away on each axis. Always inside 640 x 480: x within 40..600,
// y within 30..450.
std::int32_t starwarp_warp_table_entry(int x, int y, int r1, int r2);

// Fills the 640 x 480 `table`: rows outer, pixels inner, each entry with two
// fresh rand() % 3 draws, r1 first. The 614,400 draws are part of the
// program's fixed sequence of rand() calls.
void starwarp_build_warp_table(std::int32_t* table);

// The palette column for the seed position `column` (scene-time units):
// truncated towards zero and kept inside 0..639, so no seed read leaves the
// 640-wide palette whatever the durations.
int starwarp_palette_column(double column);

// Writes palette column `column` (see starwarp_palette_column) into the two seed
// lines of `destination`, x = 307 and x = 333, for every row.
void starwarp_seed_lines(double column, const Pixel* palette, Pixel* destination);
// Rows 230..249 of palette column `column` into the two bars beside the
// centre: x = 302..307 and x = 333..338 of the same rows.
void starwarp_seed_bars(double column, const Pixel* palette, Pixel* destination);

// The square of side 640 about the screen centre (320, 240) turned by
// `rotation` radians (finite): corners (-320, -320), (320, -320), (320, 320),
// (-320, 320) about the centre, in that order, truncated towards zero.
std::array<QuadCorner, 4> starwarp_spin_square(double rotation);
