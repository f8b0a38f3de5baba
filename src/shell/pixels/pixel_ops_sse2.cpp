// The SSE2 path of the gathers, four pixels (one 16-byte vector) at a
// time: these measure faster here than the portable path
// (pixel_ops_portable.cpp) that gives the same bytes, because they move the
// indices to general registers two at a time and take two vectors a loop
// step. SSE2 is part of every x86-64, so there this path runs anywhere; the
// gathers also have an AVX-512 path (pixel_ops_avx512.cpp).
//
// Each operation starts on a 64-byte boundary ([[gnu::aligned(64)]]). Where a
// hot loop falls within a 64-byte line of code changes its speed by up to
// 1.7x on the AMD cores we measure on, so without this the benchmark figures
// would change with whatever is linked before this file.
#if defined(__x86_64__)

#include <emmintrin.h>

#include <cstdint>

#include "shell/pixels/pixel_ops_paths.h"
#include "shell/pixels/screen_buffer.h"

namespace {

constexpr int pixels_per_vector = 4;
static_assert(screen_pixels % (2 * pixels_per_vector) == 0, "whole buffers are whole pairs of vectors");

void store(Pixel* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
// The same value four times; values above INT_MAX wrap to their bit pattern.
__m128i broadcast(std::uint32_t value) { return _mm_set1_epi32(static_cast<int>(value)); }

// ---- Gathers ----
//
// SSE2 has no gather: the four indices go to general registers and the four
// pixels are loaded one by one, then stored as one vector. Two vectors per
// loop step measure faster than one.

__m128i load_indices(const std::int32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// Compare and mask, no branch: indices in 0..307,199 stay, all others
// become 0. Flipping the sign bit turns the signed compare into an unsigned
// one, in which negative indices are huge and fail with those too large.
__m128i in_range_or_zero(__m128i indices) {
  const __m128i sign = broadcast(0x80000000u);
  const __m128i limit = broadcast(0x80000000u + screen_pixels);
  return _mm_and_si128(indices, _mm_cmplt_epi32(_mm_xor_si128(indices, sign), limit));
}

// source[i] for the four indices in `indices`, each in 0..307,199.
__m128i gather_four(const Pixel* source, __m128i indices) {
  const std::uint64_t low = static_cast<std::uint64_t>(_mm_cvtsi128_si64(indices));
  const std::uint64_t high = static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(indices, indices)));
  auto pixel = [source](std::uint64_t index) {
    return _mm_cvtsi32_si128(static_cast<int>(source[static_cast<std::uint32_t>(index)]));
  };
  return _mm_unpacklo_epi64(_mm_unpacklo_epi32(pixel(low), pixel(low >> 32)),
                            _mm_unpacklo_epi32(pixel(high), pixel(high >> 32)));
}

}  // namespace

namespace pixel_ops_sse2 {

[[gnu::aligned(64)]] void gather_pixels(const std::int32_t* index, const Pixel* source, Pixel* destination) {
  for (int i = 0; i < screen_pixels; i += 2 * pixels_per_vector) {
    store(destination + i, gather_four(source, in_range_or_zero(load_indices(index + i))));
    store(destination + i + 4, gather_four(source, in_range_or_zero(load_indices(index + i + 4))));
  }
}

[[gnu::aligned(64)]] void gather_pixels_unchecked(const std::int32_t* index, const Pixel* source, Pixel* destination) {
  for (int i = 0; i < screen_pixels; i += 2 * pixels_per_vector) {
    store(destination + i, gather_four(source, load_indices(index + i)));
    store(destination + i + 4, gather_four(source, load_indices(index + i + 4)));
  }
}

}  // namespace pixel_ops_sse2

#endif  // __x86_64__
