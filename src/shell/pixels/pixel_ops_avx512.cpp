// The AVX-512 path of the gathers and of the eight-neighbour blurs: the same
// bytes as the SSE2 path (pixel_ops.cpp), chosen at run time where the
// processor supports it. Only these functions are compiled for AVX-512
// (target attributes), so the program stays plain x86-64 and runs anywhere.
//
// GCC 12 warns about the undefined pass-through lanes of some unmasked
// AVX-512 intrinsics; their zero-masked forms with every lane selected
// compile to the same instructions, so those are used instead.
#if defined(__x86_64__)

#include <immintrin.h>

#include <cstdint>
#include <cstring>

#include "shell/pixels/pixel_ops_paths.h"
#include "shell/pixels/screen_buffer.h"

#define AVX512 __attribute__((target("avx512f")))

namespace {

constexpr int pixels_per_vector = 16;
static_assert(screen_width % pixels_per_vector == 0, "rows are whole vectors");
constexpr __mmask16 every_lane = 0xFFFF;

AVX512 __m512i load(const Pixel* p) { return _mm512_loadu_si512(p); }

// ---- Eight-neighbour blur ----
//
// The interior is walked as one line of pixels, from the start of row 1 to
// the end of row 478, sixteen at a time: linear addressing makes the wrap
// of the right-hand neighbours into the next row come by itself. With
// M = each colour channel >> 3 and, for pixel j,
//   V[j] = M[j - 640] + M[j + 640]   (above and below)
//   C[j] = V[j] + M[j]               (the column of three)
// the result at i is C[i - 2] + V[i] + C[i + 2]. C of the block before,
// the block itself and the block after stay in registers, and C[i - 2],
// C[i + 2] are cut from two neighbouring blocks with one valignd each.
// Sums of up to eight terms of at most 31 never carry into the next byte.

// M of sixteen pixels: the shift runs over whole pixels, so the mask keeps
// five bits per colour byte and clears the top byte.
AVX512 __m512i eighth(__m512i pixels) {
  return _mm512_and_si512(_mm512_maskz_srli_epi32(every_lane, pixels, 3), _mm512_set1_epi32(0x001F1F1F));
}

struct ColumnSums {
  __m512i above_below;  // V
  __m512i column;       // C
};

AVX512 ColumnSums column_sums(__m512i above, __m512i here, __m512i below) {
  const __m512i above_below = _mm512_add_epi32(eighth(above), eighth(below));
  return {above_below, _mm512_add_epi32(above_below, eighth(here))};
}

// The sums of the block starting at pixel j of rows 1..479.
AVX512 ColumnSums column_sums_at(const Pixel* source, int j) {
  return column_sums(load(source + j - screen_width), load(source + j), load(source + j + screen_width));
}

// The block after the last one written starts at row 479, x = 0; only its
// first two pixels are used, as the right-hand neighbours of row 478,
// x = 638 and 639. Below them lie the two zeroed padding pixels after the
// buffer; the lanes after those are not read.
AVX512 ColumnSums column_sums_after_last_block(const Pixel* source) {
  const int j = (screen_height - 1) * screen_width;
  const __m512i below = _mm512_maskz_loadu_epi32(0x0003, source + screen_pixels);
  return column_sums(load(source + j - screen_width), load(source + j), below);
}

// C[i - 2] and C[i + 2] for the sixteen pixels of `here`.
AVX512 __m512i two_left(__m512i before, __m512i here) { return _mm512_maskz_alignr_epi32(every_lane, here, before, 14); }
AVX512 __m512i two_right(__m512i here, __m512i after) { return _mm512_maskz_alignr_epi32(every_lane, after, here, 2); }

// Where a blur result goes. A row's first block keeps pixels x = 0 and 1
// of the destination, which the blur does not write.
constexpr __mmask16 row_start_lanes = 0xFFFC;

struct OneDestination {
  Pixel* destination;
  AVX512 void store(int i, __mmask16 lanes, __m512i v) const { _mm512_mask_storeu_epi32(destination + i, lanes, v); }
};

struct TwoDestinations {
  Pixel* destination_1;
  Pixel* destination_2;
  AVX512 void store(int i, __mmask16 lanes, __m512i v) const {
    _mm512_mask_storeu_epi32(destination_1 + i, lanes, v);
    _mm512_mask_storeu_epi32(destination_2 + i, lanes, v);
  }
};

template <typename Destination>
[[gnu::aligned(64)]] AVX512 void blur8_interior(const Pixel* source, Destination destination) {
  const int end = (screen_height - 1) * screen_width;
  // Left of row 1, x = 0 lies in row 0 and above the buffer; it reaches
  // only x = 0 and 1, which are not written.
  __m512i column_before = _mm512_setzero_si512();
  ColumnSums here = column_sums_at(source, screen_width);
  for (int row = screen_width; row < end; row += screen_width) {
    for (int x = 0; x < screen_width; x += pixels_per_vector) {
      const int next = row + x + pixels_per_vector;
      const ColumnSums after = next < end ? column_sums_at(source, next) : column_sums_after_last_block(source);
      const __m512i sum = _mm512_add_epi32(_mm512_add_epi32(two_left(column_before, here.column), here.above_below),
                                           two_right(here.column, after.column));
      destination.store(row + x, x == 0 ? row_start_lanes : every_lane, sum);
      column_before = here.column;
      here = after;
    }
  }
}

// ---- Gathers ----
//
// The hardware gather (vpgatherdd) measures slower here than loading the
// pixels one by one. Each pixel is loaded straight into its lane with
// vpinsrd from memory, which needs no shuffles to combine them; the
// indices are read two at a time as 64-bit words.

std::uint64_t load_index_pair(const std::int32_t* p) {
  std::uint64_t pair;
  std::memcpy(&pair, p, sizeof pair);
  return pair;
}

// source[index[0..3]]; every index must lie in 0..307,199.
AVX512 __m128i gather_four(const Pixel* source, const std::int32_t* index) {
  const std::uint64_t low = load_index_pair(index), high = load_index_pair(index + 2);
  auto pixel = [source](std::uint64_t pair_part) { return static_cast<int>(source[static_cast<std::uint32_t>(pair_part)]); };
  __m128i four = _mm_cvtsi32_si128(pixel(low));
  four = _mm_insert_epi32(four, pixel(low >> 32), 1);
  four = _mm_insert_epi32(four, pixel(high), 2);
  return _mm_insert_epi32(four, pixel(high >> 32), 3);
}

// `count` pixels, a multiple of eight; two blocks of four per loop step.
AVX512 void gather_run(const std::int32_t* index, const Pixel* source, Pixel* destination, int count) {
  for (int i = 0; i < count; i += 8) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + i), gather_four(source, index + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + i + 4), gather_four(source, index + i + 4));
  }
}

}  // namespace

namespace pixel_ops_avx512 {

bool supported() {
  __builtin_cpu_init();  // needed if the first call comes before main
  return __builtin_cpu_supports("avx512f");
}

[[gnu::aligned(64)]] AVX512 void gather_pixels_unchecked(const std::int32_t* index, const Pixel* source,
                                                          Pixel* destination) {
  gather_run(index, source, destination, screen_pixels);
}

// Row by row: the indices of a row are first made safe in a small table
// that stays in the first-level cache (compare and mask, no branch: an
// unsigned compare sends negative indices and those of 307,200 and more to
// 0), then gathered as above. Moving each index from a vector register to a
// general one instead measures slower.
[[gnu::aligned(64)]] AVX512 void gather_pixels(const std::int32_t* index, const Pixel* source, Pixel* destination) {
  alignas(64) std::int32_t row_indices[screen_width];
  const __m512i pixel_count = _mm512_set1_epi32(screen_pixels);
  for (int row = 0; row < screen_pixels; row += screen_width) {
    for (int x = 0; x < screen_width; x += pixels_per_vector) {
      const __m512i indices = _mm512_loadu_si512(index + row + x);
      const __mmask16 in_range = _mm512_cmplt_epu32_mask(indices, pixel_count);
      _mm512_store_si512(row_indices + x, _mm512_maskz_mov_epi32(in_range, indices));
    }
    gather_run(row_indices, source, destination + row, screen_width);
  }
}

[[gnu::aligned(64)]] AVX512 void blur8_buffer(const Pixel* source, Pixel* destination) {
  blur8_interior(source, OneDestination{destination});
}

[[gnu::aligned(64)]] AVX512 void blur8_buffer_dual(const Pixel* source, Pixel* destination_1, Pixel* destination_2) {
  blur8_interior(source, TwoDestinations{destination_1, destination_2});
}

}  // namespace pixel_ops_avx512

#endif  // __x86_64__
