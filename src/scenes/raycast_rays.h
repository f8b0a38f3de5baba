// The raycast scene's light: the title picture turned into a light mask, the
// ray table that spares each ray its square root and divisions, and the rays
// marched from a light through the mask, adding decaying light into one
// colour channel of the work picture.
//
// All coordinates are screen pixels (0..639, 0..479); ray positions step in
// 16.16 fixed point; colours are per-byte saturating on whole pixels.
#pragma once

#include "scenes/shared_pictures.h"
#include "shell/pixels/pixel.h"

// Title pixels below this, compared as whole 32-bit values (not per
// channel), are mask pixels: 0x050504 and 0x04FFFF are, 0x050505 is not.
constexpr Pixel raycast_light_mask_threshold = 0x050505u;
// What a mask pixel holds: full intensity in the lowest byte.
constexpr Pixel raycast_light_mask_pixel = 0x000000FFu;

// A ray stops this many pixels short of its target and runs at most
// raycast_ray_max_pixels pixels.
constexpr int raycast_ray_short_of_target = 25;
constexpr int raycast_ray_max_pixels = 400;
// Rays per light: to every fourth pixel of the four screen borders.
constexpr int raycast_rays_per_light = 560;

// Turns the 640 x 480 picture into the light mask in place:
// raycast_light_mask_pixel where the pixel is below
// raycast_light_mask_threshold, 0 elsewhere.
void raycast_make_light_mask(Pixel* picture);

// Fills all 307,200 entries: entry dy * 640 + dx holds the 16.16 unit step
// towards offset (dx, dy) and the truncated distance. The entry for (0, 0)
// has no direction and is all zero.
void raycast_build_ray_table(RayTableEntry* ray_table);

// Marches one ray from (x0, y0) towards (x1, y1): an accumulator picks up
// every mask pixel it crosses (per byte, saturating), adds itself shifted
// left by `shift` bits (0, 8 or 16: blue, green or red) to the work pixel,
// then loses `decay` (a 32-bit value, so it acts on the lowest byte). The
// first pixel written is (x0, y0). A ray whose start or target lies off the
// screen draws nothing.
void raycast_cast_ray(const RayTableEntry* ray_table, int decay, int shift, int x0, int y0, int x1, int y1,
                      const Pixel* mask, Pixel* work);

// The 560 rays of one light at (light_x, light_y): to (x, 0) and (x, 479)
// for x = 1, 5, ..., 637, then to (1, y) and (639, y) for y = 1, 5, ..., 477.
void raycast_cast_light(const RayTableEntry* ray_table, int decay, int shift, int light_x, int light_y,
                        const Pixel* mask, Pixel* work);
