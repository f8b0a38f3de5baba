// The lattice scene's picture work beside the lines: the cross-fade of its
// opening and the portraits that sharpen into view and dissolve again
// through repeated horizontal blurring.
#pragma once

#include <optional>

#include "shell/pixels/pixel.h"

// A portrait picture: 310 x 64 pixels, rows 310 pixels long.
constexpr int lattice_portrait_width = 310;
constexpr int lattice_portrait_height = 64;
constexpr int lattice_portrait_pixels = lattice_portrait_width * lattice_portrait_height;  // 19,840
// The part of a portrait that is blurred and shown: rows 0..62, columns
// 4..305, put on the screen from column 0.
constexpr int lattice_portrait_shown_rows = lattice_portrait_height - 1;  // 63
constexpr int lattice_portrait_first_column = 4;
constexpr int lattice_portrait_shown_columns = lattice_portrait_width - 2 * lattice_portrait_first_column;  // 302

// The grey levels lattice_cross_fade takes from each picture at `level`
// (0..256): with theta = level * 3.14159 / 512, from loses 256 - 256 cos theta
// and to loses 256 - 256 sin theta, each clamped to 0..255 and truncated.
struct LatticeCrossFadeGreys {
  int from;
  int to;
};
LatticeCrossFadeGreys lattice_cross_fade_greys(int level);

// destination = (from (-) grey_from) (+) (to (-) grey_to), per byte: at level
// 0 the picture `from`, at 256 the picture `to`. 640 x 480 pictures; the
// destination may be a padded surface.
void lattice_cross_fade(int level, const Pixel* from, const Pixel* to, Pixel* destination);

// How many extra blur passes the portrait of moment `moment` gets at the
// whole scene time `now` with portrait window `window`, or nothing when it is
// not shown: C = window - |now - moment| + 10; shown while C > 0, with
// window - min(window, C) extra passes. So within 10 units of its moment a
// portrait gets one pass, and one more for each unit further away.
std::optional<long long> lattice_portrait_extra_passes(long long now, long long moment, long long window);

// Blurs the 310 x 64 `picture` in place extra_passes + 1 times (rows 0..62,
// columns 4..305: each pixel becomes the sum of a quarter of the pixels two
// and four to its left and right, the left ones already blurred in this
// pass), then adds rows 0..62, columns 4..305 to the 640 x 480 `destination`
// from screen row `row` down, at columns 0..301, per byte with saturation.
// Rows that would fall outside the screen are left out.
void lattice_portrait_blur_add(int row, long long extra_passes, Pixel* picture, Pixel* destination);
