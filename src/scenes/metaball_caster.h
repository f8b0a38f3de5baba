// The blobby scene's renderer: the metaball field (metaball_march.h) cast
// coarse to fine onto the screen band x = 0..623, y = 120..343.
//
// Grid-pixels: the band seen from the eye, X = 0..639, Y = 0..239; the ray of
// grid-pixel (X, Y) aims at (X - 320, Y - 120, -256) in view space and lands
// on screen pixel (X, Y + 120).
//
// 1. metaball_cast_grid marches one ray per 16 x 16 block corner (15 rows x
//    40 columns) and records the hits.
// 2. metaball_draw_grid_wire draws the hit pattern as a white wire mesh at
//    twice the size, about the screen centre, raised by 60 pixels.
// 3. metaball_shade_blocks fills every block with a hit corner: from four
//    marched corner normals when all four corners hit, otherwise with one
//    march per 2 x 2 pixels. Blocks are visited in a fixed order, which the
//    marches' start counters make part of the picture.
#pragma once

#include <array>
#include <cstdint>

#include "scenes/metaball_march.h"
#include "shell/pixels/pixel.h"

constexpr int metaball_grid_rows = 15;
constexpr int metaball_grid_columns = 40;
constexpr int metaball_block_rows = metaball_grid_rows - 1;        // 14
constexpr int metaball_block_columns = metaball_grid_columns - 1;  // 39
constexpr int metaball_block_size = 16;                            // grid-pixels
constexpr int metaball_band_top = 120;                             // screen row of grid-pixel row 0

struct MetaballCaster {
  MetaballField field;
  // Entry (r, c) belongs to grid-pixel (16c, 16r): the hit point of its ray,
  // or (0, 0, 0) for a miss. Only z != 0 is read.
  std::array<std::array<Vector3, metaball_grid_columns>, metaball_grid_rows> hit_grid{};
  // Set once a block is filled during the current metaball_shade_blocks.
  std::array<std::array<bool, metaball_block_columns>, metaball_block_rows> block_filled{};
};

// The view-space target of grid-pixel (x, y).
Vector3 metaball_grid_target(int x, int y);
// Whether grid entry (r, c) is a hit; entries beyond the grid are misses.
bool metaball_grid_hit(const MetaballCaster& caster, int r, int c);

// Fills the hit grid: a ray is marched only if it meets all three bounding
// spheres, and is a miss otherwise.
void metaball_cast_grid(MetaballCaster& caster, const Vector3& eye);
// Adds the wire mesh of the hit grid in white to the 640 x 480 `destination`.
void metaball_draw_grid_wire(const MetaballCaster& caster, Pixel* destination);
// Fills the blocks around the grid's hits into the 640 x 480 `destination`;
// other pixels are left alone.
void metaball_shade_blocks(MetaballCaster& caster, const Vector3& eye, Pixel* destination);

// One 16 x 16 block with its top-left corner at grid-pixel (x0, y0): one
// metaball_march_pixel per 2 x 2 pixels, rows top to bottom. A block not wholly
// inside the grid-pixels (x0 0..624, y0 0..224) is not drawn.
void metaball_fill_block_marched(MetaballField& field, int x0, int y0, const Vector3& eye, Pixel* destination);
// The same block shaded from the normals marched at its four corners
// (x0, y0), (x0 + 16, y0), (x0, y0 + 16), (x0 + 16, y0 + 16), in that order.
void metaball_fill_block_blended(MetaballField& field, int x0, int y0, const Vector3& eye, Pixel* destination);
// The blend itself: corner normals top-left, top-right, bottom-left,
// bottom-right, bilinearly blended at the top-left pixel of each 2 x 2 unit
// and shaded without renormalising.
void metaball_blend_block_normals(const std::array<Vector3, 4>& corners, const std::array<Vector3, 3>& lights, int x0,
                                  int y0, Pixel* destination);
