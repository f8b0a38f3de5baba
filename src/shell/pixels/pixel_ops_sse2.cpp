// The SSE2 path of the whole-buffer pixel operations, four pixels (one
// 16-byte vector) at a time: the blurs and the gathers, which measure faster
// here than the portable path (pixel_ops_portable.cpp) that gives the same
// bytes. SSE2 is part of every x86-64, so there this path runs anywhere; the
// gathers and the eight-neighbour blurs also have an AVX-512 path
// (pixel_ops_avx512.cpp). Every loop is straight: no branch depends on a
// pixel.
//
// Loads and stores are unaligned: ScreenBuffers are 64-byte aligned, but the
// staging surface comes from the display library, and the blurs read their
// horizontal neighbours two pixels off. An unaligned access to aligned memory
// costs nothing extra.
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
static_assert(screen_pixels % pixels_per_vector == 0, "whole buffers are whole vectors");
static_assert(screen_width % pixels_per_vector == 0, "rows are whole vectors");

__m128i load(const Pixel* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
void store(Pixel* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
// Pixels 2 and 3 of `v` into p[2], p[3].
void store_upper_two(Pixel* p, __m128i v) {
  _mm_storel_epi64(reinterpret_cast<__m128i*>(p + 2), _mm_unpackhi_epi64(v, v));
}
// The same pixel four times; values above INT_MAX wrap to their bit pattern.
__m128i broadcast(Pixel p) { return _mm_set1_epi32(static_cast<int>(p)); }

// Where a blur result goes: one destination, or the same value into two.
// Rows are blurred in aligned blocks of four from x = 0; the first block of
// a row keeps only its upper two pixels, x = 2 and 3.
struct OneDestination {
  Pixel* destination;
  void four(int i, __m128i v) const { store(destination + i, v); }
  void upper_two(int i, __m128i v) const { store_upper_two(destination + i, v); }
};

struct TwoDestinations {
  Pixel* destination_1;
  Pixel* destination_2;
  void four(int i, __m128i v) const {
    store(destination_1 + i, v);
    store(destination_2 + i, v);
  }
  void upper_two(int i, __m128i v) const {
    store_upper_two(destination_1 + i, v);
    store_upper_two(destination_2 + i, v);
  }
};

// Rows are walked left to right in aligned blocks. The neighbours two
// pixels to the right of one block are those two pixels to the left of the
// next, so one load at x + 2 serves both blocks. For the first block the
// pixels left of x = 0 are taken as zero: they reach only x = 0 and 1,
// which the blurs do not write. Loading them would read before the buffer
// on row 0.
__m128i first_left_neighbours(const Pixel* row_start) { return _mm_slli_si128(load(row_start), 8); }

// Pixels 2, 3 of `low` followed by pixels 0, 1 of `high`: the block two
// pixels to the right of `low`.
__m128i straddle(__m128i low, __m128i high) {
  return _mm_castpd_si128(_mm_shuffle_pd(_mm_castsi128_pd(low), _mm_castsi128_pd(high), 1));
}

// ---- Eight-neighbour blur ----
//
// With M = each colour channel >> 3, the result at pixel i is
//   T[i - 640] + H[i] + T[i + 640],  H[j] = M[j - 2] + M[j + 2],  T[j] = H[j] + M[j],
// so H and T are computed once per source row and kept in small row rings.
// Sums of up to eight terms of at most 31 never carry into the next byte.

// M of four pixels. The shift runs over whole pixels, so each byte takes
// three bits from the byte above; the mask keeps five bits per colour byte
// and clears the top byte.
__m128i eighth(__m128i pixels) { return _mm_and_si128(_mm_srli_epi32(pixels, 3), broadcast(0x001F1F1Fu)); }

struct RowSums {
  __m128i pair;    // H
  __m128i triple;  // T
};

// Walks one source row, block by block from x = 0.
class RowSummer {
 public:
  explicit RowSummer(const Pixel* row_start) : row_start_(row_start), left_(eighth(first_left_neighbours(row_start))) {}

  // The sums of the block at x. At x = 636 the right-hand neighbours are
  // pixels 0 and 1 of the next row (linear addressing); below the last
  // row they are the zeroed padding after the buffer.
  RowSums next(int x) {
    const __m128i right = eighth(load(row_start_ + x + 2));
    const __m128i pair = _mm_add_epi32(left_, right);
    const __m128i triple = _mm_add_epi32(pair, straddle(left_, right));
    left_ = right;
    return {pair, triple};
  }

 private:
  const Pixel* row_start_;
  __m128i left_;  // M of the pixels two to the left of the next block
};

// Row sums of three source rows, kept between output rows: T of rows
// y - 1 and y + 1 and H of row y are needed for output row y.
struct RowSumRings {
  alignas(16) Pixel triples[3][screen_width];
  alignas(16) Pixel pairs[2][screen_width];
};

// Computes the sums of source row r into the rings.
void store_row_sums(const Pixel* source, int r, RowSumRings& rings) {
  RowSummer summer(source + r * screen_width);
  for (int x = 0; x < screen_width; x += pixels_per_vector) {
    const RowSums sums = summer.next(x);
    store(rings.pairs[r % 2] + x, sums.pair);
    store(rings.triples[r % 3] + x, sums.triple);
  }
}

// Output row y (1..478): sums source row y + 1 into the rings and combines
// them with those of rows y - 1 and y.
template <typename Destination>
void blur8_row(const Pixel* source, int y, RowSumRings& rings, Destination destination) {
  RowSummer below(source + (y + 1) * screen_width);
  Pixel* pairs_below = rings.pairs[(y + 1) % 2];
  Pixel* triples_below = rings.triples[(y + 1) % 3];
  const Pixel* pairs_here = rings.pairs[y % 2];
  const Pixel* triples_above = rings.triples[(y - 1) % 3];
  auto block = [&](int x) {
    const RowSums sums = below.next(x);
    store(pairs_below + x, sums.pair);
    store(triples_below + x, sums.triple);
    return _mm_add_epi32(_mm_add_epi32(load(triples_above + x), load(pairs_here + x)), sums.triple);
  };
  const int row = y * screen_width;
  destination.upper_two(row, block(0));
  for (int x = pixels_per_vector; x < screen_width; x += pixels_per_vector) destination.four(row + x, block(x));
}

template <typename Destination>
[[gnu::aligned(64)]] void blur8_interior(const Pixel* source, Destination destination) {
  RowSumRings rings;
  store_row_sums(source, 0, rings);
  store_row_sums(source, 1, rings);
  for (int y = 1; y < screen_height - 1; ++y) blur8_row(source, y, rings, destination);
}

// ---- Four-neighbour channel blur ----
//
// h(c) = (c >> 1) AND 63 = (c AND 0x7E) / 2. With every term masked to
// even bytes of at most 126, the halving of a sum of two is exact, so the
// byte-wise average (a + b + 1) >> 1 of the downward term and the sum of
// the other three gives the result in one step.

// Output row y (1..478). The right neighbours of x = 638, 639 are x = 0, 1
// of the next row, all inside the buffer.
void blur4_row(const Pixel* source, int y, OneDestination destination) {
  const int row = y * screen_width;
  __m128i left = first_left_neighbours(source + row);
  auto block = [&](int x) {
    const Pixel* p = source + row + x;
    const __m128i right = load(p + 2);
    const __m128i below = _mm_and_si128(load(p + screen_width), broadcast(0x007E7E7Eu));
    const __m128i green_above = _mm_and_si128(load(p - screen_width), broadcast(0x00007E00u));
    const __m128i red_left = _mm_and_si128(left, broadcast(0x007E0000u));
    const __m128i blue_right = _mm_and_si128(right, broadcast(0x0000007Eu));
    left = right;
    return _mm_avg_epu8(below, _mm_add_epi32(_mm_add_epi32(green_above, red_left), blue_right));
  };
  destination.upper_two(row, block(0));
  for (int x = pixels_per_vector; x < screen_width; x += pixels_per_vector) destination.four(row + x, block(x));
}

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

[[gnu::aligned(64)]] void blur4_channels(const Pixel* source, Pixel* destination) {
  for (int y = 1; y < screen_height - 1; ++y) blur4_row(source, y, OneDestination{destination});
}

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

[[gnu::aligned(64)]] void blur8_buffer(const Pixel* source, Pixel* destination) {
  blur8_interior(source, OneDestination{destination});
}

[[gnu::aligned(64)]] void blur8_buffer_dual(const Pixel* source, Pixel* destination_1, Pixel* destination_2) {
  blur8_interior(source, TwoDestinations{destination_1, destination_2});
}

}  // namespace pixel_ops_sse2

#endif  // __x86_64__
