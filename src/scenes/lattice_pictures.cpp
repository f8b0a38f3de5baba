// Cross-fade and portraits of the lattice scene, in SSE2 and packed 64-bit
// pixel pairs.
#include "scenes/lattice_pictures.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "shell/pixels/screen_buffer.h"

namespace {

__m128i load_four(const Pixel* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
void store_four(Pixel* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
__m128i load_two(const Pixel* p) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)); }
void store_two(Pixel* p, __m128i v) { _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v); }

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

// The shown part of a portrait row onto a screen row, per byte saturating.
void add_portrait_row(const Pixel* portrait_row, Pixel* screen_row) {
  for (int x = 0; x < lattice_portrait_shown_columns; x += 2) {
    const __m128i sum =
        _mm_adds_epu8(load_two(screen_row + x), load_two(portrait_row + lattice_portrait_first_column + x));
    store_two(screen_row + x, sum);
  }
}

int clamped_grey(double grey) { return static_cast<int>(std::clamp(grey, 0.0, 255.0)); }

}  // namespace

LatticeCrossFadeGreys lattice_cross_fade_greys(int level) {
  const double theta = level * 3.14159 / 512;  // this value of pi, as the fade was tuned with
  return LatticeCrossFadeGreys{clamped_grey(256 - 256 * std::cos(theta)), clamped_grey(256 - 256 * std::sin(theta))};
}

void lattice_cross_fade(int level, const Pixel* from, const Pixel* to, Pixel* destination) {
  const LatticeCrossFadeGreys greys = lattice_cross_fade_greys(level);
  const __m128i from_grey = _mm_set1_epi32(static_cast<int>(pixel_grey(static_cast<unsigned>(greys.from))));
  const __m128i to_grey = _mm_set1_epi32(static_cast<int>(pixel_grey(static_cast<unsigned>(greys.to))));
  for (int i = 0; i < screen_pixels; i += 4) {
    const __m128i faded_from = _mm_subs_epu8(load_four(from + i), from_grey);
    const __m128i faded_to = _mm_subs_epu8(load_four(to + i), to_grey);
    store_four(destination + i, _mm_adds_epu8(faded_from, faded_to));
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
