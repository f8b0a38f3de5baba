// Whole-buffer pixel operations: the hot loops every scene composes its
// frames from. Each works on all 307,200 pixels of ScreenBuffer-sized
// memory. Sources come before the destination.
//
// Notation: a (+) b = min(255, a + b) and a (-) b = max(0, a - b) on each of
// the four bytes of a pixel separately, the top byte included.
#pragma once

#include <cstdint>

#include "shell/pixels/pixel.h"

// destination[i] = a[i] (+) b[i]
void add_buffers_saturate(const Pixel* a, const Pixel* b, Pixel* destination);
// destination[i] = destination[i] (+) source[i]
void add_buffer_saturate(const Pixel* source, Pixel* destination);
// destination[i] = destination[i] (-) source[i]
void subtract_buffer_saturate(const Pixel* source, Pixel* destination);
// destination[i] = destination[i] (-) amount; amount = pixel_grey(g) darkens by g.
void fade_buffer(std::uint32_t amount, Pixel* destination);
// Scan-line mask in groups of four rows: red only, green only, blue only
// (each minus the mask pixel), then black.
void apply_tv_mask(const Pixel* mask, Pixel* destination);
// destination[i] = source[index[i]]; an index outside 0..307,199 reads source[0].
void gather_pixels(const std::int32_t* index, const Pixel* source, Pixel* destination);
// destination[i] = source[index[i]]; every index must lie in 0..307,199.
void gather_pixels_unchecked(const std::int32_t* index, const Pixel* source, Pixel* destination);

// The blurs write rows 1..478, pixels x = 2..639 of each; the rest of the
// destination keeps its contents. Neighbours are addressed linearly from
// i = y * 640 + x: left/right are i -/+ 2, up/down i -/+ 640, diagonals
// i -/+ 638 and i -/+ 642, so the right-hand neighbours of x = 638, 639 wrap
// into the next row. The source must be a padded buffer (screen_buffer.h):
// the last two pixels read just past its end.

// Each channel is the sum over the eight neighbours of (channel >> 3); top byte 0.
void blur8_buffer(const Pixel* source, Pixel* destination);
// The same blur, each result pixel stored into both destinations.
void blur8_buffer_dual(const Pixel* source, Pixel* destination_1, Pixel* destination_2);
// Four-neighbour channel blur with h(c) = (c >> 1) & 63 and u/d/l/r the
// up/down/left/right neighbours: red = h(d) + h(l), green = h(u) + h(d),
// blue = h(d) + h(r); top byte 0.
void blur4_channels(const Pixel* source, Pixel* destination);
