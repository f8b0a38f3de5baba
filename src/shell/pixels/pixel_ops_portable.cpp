// The portable path of the whole-buffer pixel operations: plain C++ on four
// pixels (one 16-byte vector, pixel_vector.h) at a time, which the compiler
// turns into NEON on AArch64 and into SSE2 on x86-64. Every processor takes
// it, except for the gathers on x86-64 and the eight-neighbour blurs where
// the processor has AVX-512, which have faster paths there
// (pixel_ops_paths.h). Every loop is straight: no branch depends on a pixel.
//
// Loads and stores are unaligned: ScreenBuffers are 64-byte aligned, but the
// staging surface comes from the display library, and the blurs read their
// horizontal neighbours two pixels off. An unaligned access to aligned memory
// costs nothing extra.
//
// Each operation starts on a 64-byte boundary ([[gnu::aligned(64)]]). Where a
// hot loop falls within a 64-byte line of code changes its speed by up to
// 1.7x on the AMD cores we measure on, so without this the benchmark figures
// would change with whatever is linked before this file. The blurs' row
// loops are also unrolled four times: rolled, the same loop took 57 to 96 us
// a blur8 with where it landed; unrolled, 55 to 63 us wherever it lands.
#include <cstdint>
#include <cstring>

#include "shell/pixels/pixel_ops_paths.h"
#include "shell/pixels/pixel_vector.h"
#include "shell/pixels/screen_buffer.h"

namespace {

constexpr int pixels_per_vector = pixel_vector_pixels;
static_assert(screen_pixels % pixels_per_vector == 0, "whole buffers are whole vectors");
static_assert(screen_width % pixels_per_vector == 0, "rows are whole vectors");

// Pixels 2 and 3 of `v` into p[2], p[3].
void store_upper_two(Pixel* p, PixelVector v) {
  const PixelVector upper = __builtin_shufflevector(v, v, 2, 3, 2, 3);
  std::memcpy(p + 2, &upper, 2 * sizeof(Pixel));
}

// Four pixels of one tv mask row: (destination AND keep) (-) mask.
void keep_channel_minus_mask(const Pixel* mask, Pixel* destination, PixelVector keep) {
  store_pixels(destination, subtract_saturate(load_pixels(destination) & keep, load_pixels(mask)));
}

// Where a blur result goes: one destination, or the same value into two.
// Rows are blurred in aligned blocks of four from x = 0; the first block of
// a row keeps only its upper two pixels, x = 2 and 3.
struct OneDestination {
  Pixel* destination;
  void four(int i, PixelVector v) const { store_pixels(destination + i, v); }
  void upper_two(int i, PixelVector v) const { store_upper_two(destination + i, v); }
};

struct TwoDestinations {
  Pixel* destination_1;
  Pixel* destination_2;
  void four(int i, PixelVector v) const {
    store_pixels(destination_1 + i, v);
    store_pixels(destination_2 + i, v);
  }
  void upper_two(int i, PixelVector v) const {
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
PixelVector first_left_neighbours(const Pixel* row_start) {
  return __builtin_shufflevector(PixelVector{}, load_pixels(row_start), 0, 1, 4, 5);
}

// Pixels 2, 3 of `low` followed by pixels 0, 1 of `high`: the block two
// pixels to the right of `low`.
PixelVector straddle(PixelVector low, PixelVector high) { return __builtin_shufflevector(low, high, 2, 3, 4, 5); }

// ---- Eight-neighbour blur ----
//
// With M = each colour channel >> 3, the result at pixel i is
//   T[i - 640] + H[i] + T[i + 640],  H[j] = M[j - 2] + M[j + 2],  T[j] = H[j] + M[j],
// so H and T are computed once per source row and kept in small row rings.
// Sums of up to eight terms of at most 31 never carry into the next byte.

// M of four pixels. The shift runs over whole pixels, so each byte takes
// three bits from the byte above; the mask keeps five bits per colour byte
// and clears the top byte.
PixelVector eighth(PixelVector pixels) { return (pixels >> 3) & 0x001F1F1Fu; }

struct RowSums {
  PixelVector pair;    // H
  PixelVector triple;  // T
};

// Walks one source row, block by block from x = 0.
class RowSummer {
 public:
  explicit RowSummer(const Pixel* row_start) : row_start_(row_start), left_(eighth(first_left_neighbours(row_start))) {}

  // The sums of the block at x. At x = 636 the right-hand neighbours are
  // pixels 0 and 1 of the next row (linear addressing); below the last
  // row they are the zeroed padding after the buffer.
  RowSums next(int x) {
    const PixelVector right = eighth(load_pixels(row_start_ + x + 2));
    const PixelVector pair = left_ + right;
    const PixelVector triple = pair + straddle(left_, right);
    left_ = right;
    return {pair, triple};
  }

 private:
  const Pixel* row_start_;
  PixelVector left_;  // M of the pixels two to the left of the next block
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
    store_pixels(rings.pairs[r % 2] + x, sums.pair);
    store_pixels(rings.triples[r % 3] + x, sums.triple);
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
    store_pixels(pairs_below + x, sums.pair);
    store_pixels(triples_below + x, sums.triple);
    return load_pixels(triples_above + x) + load_pixels(pairs_here + x) + sums.triple;
  };
  const int row = y * screen_width;
  destination.upper_two(row, block(0));
#pragma GCC unroll 4
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
// h(c) = (c >> 1) AND 63 = (c AND 0x7E) / 2. Each byte of the result is the
// sum of two terms masked to even values of at most 126: the downward one
// and one of the other three. That sum is even and at most 252, so it is
// summed over whole pixels without a carry between bytes and halved by one
// shift of the whole pixel, into which no byte passes a set bit.

// Output row y (1..478). The right neighbours of x = 638, 639 are x = 0, 1
// of the next row, all inside the buffer.
void blur4_row(const Pixel* source, int y, OneDestination destination) {
  const int row = y * screen_width;
  PixelVector left = first_left_neighbours(source + row);
  auto block = [&](int x) {
    const Pixel* p = source + row + x;
    const PixelVector right = load_pixels(p + 2);
    const PixelVector below = load_pixels(p + screen_width) & 0x007E7E7Eu;
    const PixelVector green_above = load_pixels(p - screen_width) & 0x00007E00u;
    const PixelVector red_left = left & 0x007E0000u;
    const PixelVector blue_right = right & 0x0000007Eu;
    left = right;
    return (below + green_above + red_left + blue_right) >> 1;
  };
  destination.upper_two(row, block(0));
#pragma GCC unroll 4
  for (int x = pixels_per_vector; x < screen_width; x += pixels_per_vector) destination.four(row + x, block(x));
}

// ---- Gathers ----
//
// Four indices are loaded and made safe as one vector, the four pixels are
// loaded one by one (no vector unit this path serves has a gather that
// beats single loads) and stored as one vector.

using IndexVector = std::uint32_t __attribute__((vector_size(16)));  // indices as unsigned

IndexVector load_indices(const std::int32_t* p) {
  IndexVector v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// Compare and mask, no branch: indices in 0..307,199 stay, all others
// become 0. As unsigned, negative indices are huge and fail with those too
// large.
IndexVector in_range_or_zero(IndexVector indices) {
  return indices & (IndexVector)(indices < static_cast<std::uint32_t>(screen_pixels));
}

// source[i] for the four indices in `indices`, each in 0..307,199.
PixelVector gather_four(const Pixel* source, IndexVector indices) {
  return PixelVector{source[indices[0]], source[indices[1]], source[indices[2]], source[indices[3]]};
}

}  // namespace

namespace pixel_ops_portable {

[[gnu::aligned(64)]] void add_buffers_saturate(const Pixel* a, const Pixel* b, Pixel* destination) {
  for (int i = 0; i < screen_pixels; i += pixels_per_vector) {
    store_pixels(destination + i, add_saturate(load_pixels(a + i), load_pixels(b + i)));
  }
}

[[gnu::aligned(64)]] void add_buffer_saturate(const Pixel* source, Pixel* destination) {
  add_buffers_saturate(destination, source, destination);
}

[[gnu::aligned(64)]] void subtract_buffer_saturate(const Pixel* source, Pixel* destination) {
  for (int i = 0; i < screen_pixels; i += pixels_per_vector) {
    store_pixels(destination + i, subtract_saturate(load_pixels(destination + i), load_pixels(source + i)));
  }
}

[[gnu::aligned(64)]] void fade_buffer(std::uint32_t amount, Pixel* destination) {
  const PixelVector amount_vector = broadcast_pixel(amount);
  for (int i = 0; i < screen_pixels; i += pixels_per_vector) {
    store_pixels(destination + i, subtract_saturate(load_pixels(destination + i), amount_vector));
  }
}

// Walks the four rows of each group side by side, which spreads the
// stores to the black row among the others and measures faster than
// clearing that row in one go.
[[gnu::aligned(64)]] void apply_tv_mask(const Pixel* mask, Pixel* destination) {
  const PixelVector red = broadcast_pixel(pixel_red_mask), green = broadcast_pixel(pixel_green_mask),
                    blue = broadcast_pixel(pixel_blue_mask);
  constexpr int row_2 = screen_width, row_3 = 2 * screen_width, row_4 = 3 * screen_width;
  for (int group = 0; group < screen_pixels; group += 4 * screen_width) {
    for (int i = group; i < group + screen_width; i += pixels_per_vector) {
      keep_channel_minus_mask(mask + i, destination + i, red);
      keep_channel_minus_mask(mask + i + row_2, destination + i + row_2, green);
      keep_channel_minus_mask(mask + i + row_3, destination + i + row_3, blue);
      store_pixels(destination + i + row_4, PixelVector{});  // black; its mask row is not read
    }
  }
}

[[gnu::aligned(64)]] void blur4_channels(const Pixel* source, Pixel* destination) {
  for (int y = 1; y < screen_height - 1; ++y) blur4_row(source, y, OneDestination{destination});
}

[[gnu::aligned(64)]] void gather_pixels(const std::int32_t* index, const Pixel* source, Pixel* destination) {
  for (int i = 0; i < screen_pixels; i += pixels_per_vector) {
    store_pixels(destination + i, gather_four(source, in_range_or_zero(load_indices(index + i))));
  }
}

[[gnu::aligned(64)]] void gather_pixels_unchecked(const std::int32_t* index, const Pixel* source, Pixel* destination) {
  for (int i = 0; i < screen_pixels; i += pixels_per_vector) {
    store_pixels(destination + i, gather_four(source, load_indices(index + i)));
  }
}

[[gnu::aligned(64)]] void blur8_buffer(const Pixel* source, Pixel* destination) {
  blur8_interior(source, OneDestination{destination});
}

[[gnu::aligned(64)]] void blur8_buffer_dual(const Pixel* source, Pixel* destination_1, Pixel* destination_2) {
  blur8_interior(source, TwoDestinations{destination_1, destination_2});
}

}  // namespace pixel_ops_portable
