// Whole-buffer pixel operations in SSE2, four pixels (one 16-byte vector)
// at a time. SSE2 is part of every x86-64, so there is no fallback path.
//
// Loads and stores are unaligned: ScreenBuffers are 64-byte aligned, but the
// staging surface comes from the display library, and the blurs start each
// row at x = 2. On current cores an unaligned access to aligned memory costs
// nothing extra.
#include "shell/pixel_ops.h"

#include <emmintrin.h>

#include <cstddef>

#include "shell/screen_buffer.h"

namespace {

constexpr int pixels_per_vector = 4;
static_assert(screen_pixels % pixels_per_vector == 0, "whole buffers are whole vectors");
static_assert(screen_width % pixels_per_vector == 0, "rows are whole vectors");

__m128i load(const Pixel* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
void store(Pixel* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
// The same pixel four times; values above INT_MAX wrap to their bit pattern.
__m128i broadcast(Pixel p) { return _mm_set1_epi32(static_cast<int>(p)); }

// destination = (destination AND keep) (-) mask over one row.
void keep_channel_minus_mask(const Pixel* mask_row, Pixel* row, Pixel keep) {
  const __m128i keep_vector = broadcast(keep);
  for (int x = 0; x < screen_width; x += pixels_per_vector) {
    store(row + x, _mm_subs_epu8(_mm_and_si128(load(row + x), keep_vector), load(mask_row + x)));
  }
}

void clear_row(Pixel* row) {
  for (int x = 0; x < screen_width; x += pixels_per_vector) store(row + x, _mm_setzero_si128());
}

// Linear offsets of the blur neighbours from the pixel they are summed for.
constexpr std::ptrdiff_t left = -2, right = 2, up = -screen_width, down = screen_width;

// One neighbour's share of the eight-neighbour blur: each colour channel
// shifted right by 3. The shift runs over whole pixels, so each byte takes
// three bits from the byte above; the mask keeps five bits per colour byte
// and clears the top byte.
__m128i eighth(const Pixel* p) {
  return _mm_and_si128(_mm_srli_epi32(load(p), 3), broadcast(0x001F1F1Fu));
}

// The blur of the four pixels starting at `p` (a pointer into the source).
// Eight terms of at most 31 sum to at most 248: no byte carries into the next.
__m128i blur8_four(const Pixel* p) {
  const __m128i row_above = _mm_add_epi32(_mm_add_epi32(eighth(p + up + left), eighth(p + up)), eighth(p + up + right));
  const __m128i row_below = _mm_add_epi32(_mm_add_epi32(eighth(p + down + left), eighth(p + down)), eighth(p + down + right));
  const __m128i same_row = _mm_add_epi32(eighth(p + left), eighth(p + right));
  return _mm_add_epi32(_mm_add_epi32(row_above, row_below), same_row);
}

// Halves the channels of the four pixels at `p` and keeps six bits of those
// in `channels`: h(c) = (c >> 1) AND 63, zero elsewhere.
__m128i halved(const Pixel* p, Pixel channels) {
  return _mm_and_si128(_mm_srli_epi32(load(p), 1), broadcast(channels & 0x003F3F3Fu));
}

// Red from below and left, green from above and below, blue from below and
// right; each sum is at most 126, so no byte carries.
__m128i blur4_four(const Pixel* p) {
  const __m128i below = halved(p + down, pixel_red_mask | pixel_green_mask | pixel_blue_mask);
  const __m128i sides = _mm_add_epi32(halved(p + left, pixel_red_mask), halved(p + right, pixel_blue_mask));
  return _mm_add_epi32(_mm_add_epi32(below, halved(p + up, pixel_green_mask)), sides);
}

// Calls store_four(i, blur_four(source + i)) for the written part of each
// interior row: x = 2..639 of rows 1..478. 638 pixels are not a whole number
// of vectors, so the last vector of a row starts at x = 636 and rewrites the
// two pixels before it with the same values; destinations never alias the
// source, so that is harmless. The last vector of row 478 reads source
// pixels 307,200 and 307,201, which the buffer padding keeps at zero.
template <typename BlurFour, typename StoreFour>
void blur_interior(const Pixel* source, BlurFour blur_four, StoreFour store_four) {
  constexpr int first_x = 2;
  constexpr int last_vector_x = screen_width - pixels_per_vector;
  for (int y = 1; y < screen_height - 1; ++y) {
    const int row = y * screen_width;
    for (int x = first_x; x < last_vector_x; x += pixels_per_vector) store_four(row + x, blur_four(source + row + x));
    store_four(row + last_vector_x, blur_four(source + row + last_vector_x));
  }
}

}  // namespace

void add_buffers_saturate(const Pixel* a, const Pixel* b, Pixel* destination) {
  for (int i = 0; i < screen_pixels; i += pixels_per_vector) {
    store(destination + i, _mm_adds_epu8(load(a + i), load(b + i)));
  }
}

void add_buffer_saturate(const Pixel* source, Pixel* destination) {
  add_buffers_saturate(destination, source, destination);
}

void subtract_buffer_saturate(const Pixel* source, Pixel* destination) {
  for (int i = 0; i < screen_pixels; i += pixels_per_vector) {
    store(destination + i, _mm_subs_epu8(load(destination + i), load(source + i)));
  }
}

void fade_buffer(std::uint32_t amount, Pixel* destination) {
  const __m128i amount_vector = broadcast(amount);
  for (int i = 0; i < screen_pixels; i += pixels_per_vector) {
    store(destination + i, _mm_subs_epu8(load(destination + i), amount_vector));
  }
}

void apply_tv_mask(const Pixel* mask, Pixel* destination) {
  constexpr Pixel kept_channel[3] = {pixel_red_mask, pixel_green_mask, pixel_blue_mask};
  for (int group = 0; group < screen_height; group += 4) {
    for (int line = 0; line < 3; ++line) {
      const int row = (group + line) * screen_width;
      keep_channel_minus_mask(mask + row, destination + row, kept_channel[line]);
    }
    clear_row(destination + (group + 3) * screen_width);
  }
}

void gather_pixels(const std::int32_t* index, const Pixel* source, Pixel* destination) {
  for (int i = 0; i < screen_pixels; ++i) {
    // Compare and mask, no branch: a negative index is huge as unsigned, so
    // one unsigned compare catches both ends; out of range reads pixel 0.
    const std::uint32_t at = static_cast<std::uint32_t>(index[i]);
    const std::uint32_t in_range = 0u - static_cast<std::uint32_t>(at < static_cast<std::uint32_t>(screen_pixels));
    destination[i] = source[at & in_range];
  }
}

void gather_pixels_unchecked(const std::int32_t* index, const Pixel* source, Pixel* destination) {
  for (int i = 0; i < screen_pixels; ++i) destination[i] = source[index[i]];
}

void blur8_buffer(const Pixel* source, Pixel* destination) {
  blur_interior(source, blur8_four, [destination](int i, __m128i v) { store(destination + i, v); });
}

void blur8_buffer_dual(const Pixel* source, Pixel* destination_1, Pixel* destination_2) {
  blur_interior(source, blur8_four, [destination_1, destination_2](int i, __m128i v) {
    store(destination_1 + i, v);
    store(destination_2 + i, v);
  });
}

void blur4_channels(const Pixel* source, Pixel* destination) {
  blur_interior(source, blur4_four, [destination](int i, __m128i v) { store(destination + i, v); });
}
