// Cross-fade and portraits of the lattice scene, on four-pixel vectors
// (pixel_vector.h) and packed 64-bit pixel pairs.
#include "scenes/lattice_pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "shell/pixels/pixel_vector.h"
#include "shell/pixels/screen_buffer.h"

namespace {

std::uint64_t load_pair(const Pixel* p) {
  std::uint64_t pair;
  std::memcpy(&pair, p, sizeof pair);
  return pair;
}
void store_pair(Pixel* p, std::uint64_t pair) { std::memcpy(p, &pair, sizeof pair); }

// Every byte of a pixel pair shifted right by 2 (0..63): four quarters sum to
// at most 252, so plain addition never carries from one byte into the next.
std::uint64_t quarter(std::uint64_t pair) { return (pair >> 2) & 0x3F3F3F3F3F3F3F3Full; }

// One pass over one portrait row, in place, pair by pair from x = 4 to 305.
// The pairs two and four to the left are the ones this pass already wrote;
// they are kept in registers rather than read back.
void blur_portrait_row(Pixel* row) {
  std::uint64_t left_far = load_pair(row);       // x - 4: columns 0, 1 are never written
  std::uint64_t left_near = load_pair(row + 2);  // x - 2: columns 2, 3 are never written
  std::uint64_t right_near = load_pair(row + 6);  // x + 2, not yet written
  const int last_pair = lattice_portrait_first_column + lattice_portrait_shown_columns - 2;  // 304
  for (int x = lattice_portrait_first_column; x <= last_pair; x += 2) {
    const std::uint64_t right_far = load_pair(row + x + 4);  // not yet written
    const std::uint64_t blurred = quarter(left_far) + quarter(left_near) + quarter(right_near) + quarter(right_far);
    store_pair(row + x, blurred);
    left_far = left_near;
    left_near = blurred;
    right_near = right_far;
  }
}

// The shown part of a portrait row onto a screen row, per byte saturating:
// four pixels at a time, then the two left over (302 = 75 * 4 + 2).
void add_portrait_row(const Pixel* portrait_row, Pixel* screen_row) {
  const Pixel* shown = portrait_row + lattice_portrait_first_column;
  int x = 0;
  for (; x + pixel_vector_pixels <= lattice_portrait_shown_columns; x += pixel_vector_pixels) {
    store_pixels(screen_row + x, add_saturate(load_pixels(screen_row + x), load_pixels(shown + x)));
  }
  for (; x < lattice_portrait_shown_columns; ++x) screen_row[x] = add_saturate(screen_row[x], shown[x]);
}

int clamped_grey(double grey) { return static_cast<int>(std::clamp(grey, 0.0, 255.0)); }

}  // namespace

LatticeCrossFadeGreys lattice_cross_fade_greys(int level) {
  const double theta = level * 3.14159 / 512;  // this value of pi, as the fade was tuned with
  return LatticeCrossFadeGreys{clamped_grey(256 - 256 * std::cos(theta)), clamped_grey(256 - 256 * std::sin(theta))};
}

void lattice_cross_fade(int level, const Pixel* from, const Pixel* to, Pixel* destination) {
  const LatticeCrossFadeGreys greys = lattice_cross_fade_greys(level);
  const PixelVector from_grey = broadcast_pixel(pixel_grey(static_cast<unsigned>(greys.from)));
  const PixelVector to_grey = broadcast_pixel(pixel_grey(static_cast<unsigned>(greys.to)));
  for (int i = 0; i < screen_pixels; i += pixel_vector_pixels) {
    const PixelVector faded_from = subtract_saturate(load_pixels(from + i), from_grey);
    const PixelVector faded_to = subtract_saturate(load_pixels(to + i), to_grey);
    store_pixels(destination + i, add_saturate(faded_from, faded_to));
  }
}

std::optional<long long> lattice_portrait_extra_passes(long long now, long long moment, long long window) {
  const long long closeness = window - std::llabs(now - moment) + 10;
  if (closeness <= 0) return std::nullopt;
  return window - std::min(window, closeness);
}

void lattice_portrait_blur_add(int row, long long extra_passes, Pixel* picture, Pixel* destination) {
  for (long long pass = 0; pass <= extra_passes; ++pass) {
    for (int r = 0; r < lattice_portrait_shown_rows; ++r) blur_portrait_row(picture + r * lattice_portrait_width);
  }
  for (int r = 0; r < lattice_portrait_shown_rows; ++r) {
    const long long screen_row = static_cast<long long>(row) + r;
    if (screen_row < 0 || screen_row >= screen_height) continue;  // clipped: off the screen
    add_portrait_row(picture + r * lattice_portrait_width, destination + screen_row * screen_width);
  }
}
