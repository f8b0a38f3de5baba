// Dequantisation and the accurate integer inverse DCT in SSE2, giving
// exactly the portable transform's samples: the same saturated products,
// the same constants, rows first, the same rounding shifts and clamping.
//
// Each pass works on all eight rows (or columns) at once, one 16-bit lane
// each. Products are formed with pmaddwd, two 16-bit inputs times two 16-bit
// constants summed into 32 bits, so the portable code's sums of inputs
// (z2 + z3 and so on) are distributed over the constants instead: the
// results are the same integers, and where a partial sum wraps the final one
// still comes out exact, because every final value fits in 32 bits.
//
// The column pass takes its inputs in 16 bits. Row results outside that
// range come only from corrupt or extreme data; such blocks go to the
// portable transform, which takes its column pass in 64 bits.
#ifdef __SSE2__

#include <emmintrin.h>

#include "jpeg/jpeg_idct.h"

namespace {

// The helpers are forced inline: called more than once, they would stay out
// of line and pass every vector through memory.

constexpr int row_shift = 11;
constexpr int column_shift = 18;
constexpr int row_bias = 1 << (row_shift - 1);
constexpr int column_bias = (1 << (column_shift - 1)) + (128 << column_shift);

// A pmaddwd operand: lanes (first, second) repeated, to multiply pairs of
// inputs interleaved the same way.
__m128i constant_pair(int first, int second) {
  return _mm_set_epi16(static_cast<short>(second), static_cast<short>(first), static_cast<short>(second),
                       static_cast<short>(first), static_cast<short>(second), static_cast<short>(first),
                       static_cast<short>(second), static_cast<short>(first));
}

// A value of 32-bit lanes, for the four low and the four high 16-bit lanes
// of the pass's inputs.
struct Wide {
  __m128i low;
  __m128i high;
};

Wide operator+(Wide a, Wide b) { return {_mm_add_epi32(a.low, b.low), _mm_add_epi32(a.high, b.high)}; }
Wide operator-(Wide a, Wide b) { return {_mm_sub_epi32(a.low, b.low), _mm_sub_epi32(a.high, b.high)}; }

// Two inputs interleaved for pmaddwd.
struct Pair {
  __m128i low;
  __m128i high;
};

Pair interleave(__m128i a, __m128i b) { return {_mm_unpacklo_epi16(a, b), _mm_unpackhi_epi16(a, b)}; }

// a * first + b * second for the pair (a, b), in 32 bits.
Wide multiply(const Pair& pair, int first, int second) {
  const __m128i constants = constant_pair(first, second);
  return {_mm_madd_epi16(pair.low, constants), _mm_madd_epi16(pair.high, constants)};
}

Wide add_bias(Wide a, int bias) {
  const __m128i b = _mm_set1_epi32(bias);
  return {_mm_add_epi32(a.low, b), _mm_add_epi32(a.high, b)};
}

// One 8-point inverse transform on eight lanes: in[k] holds input k of
// every lane; out[k] gets output k, before the rounding shift (the bias is
// added).
[[gnu::always_inline]] inline void idct_8_lanes(const __m128i* in, int bias, Wide* out) {
  // Even part: z1 = (in2 + in6) * c0.541 gives
  // even2 = z1 - in6 * c1.848 and even3 = z1 + in2 * c0.765.
  const Pair in2_in6 = interleave(in[2], in[6]);
  const Wide even2 = multiply(in2_in6, fix_0_541196100, fix_0_541196100 - fix_1_847759065);
  const Wide even3 = multiply(in2_in6, fix_0_541196100 + fix_0_765366865, fix_0_541196100);
  const Pair in0_in4 = interleave(in[0], in[4]);
  const Wide even0 = add_bias(multiply(in0_in4, 1 << 13, 1 << 13), bias);
  const Wide even1 = add_bias(multiply(in0_in4, 1 << 13, -(1 << 13)), bias);
  const Wide tmp10 = even0 + even3;
  const Wide tmp13 = even0 - even3;
  const Wide tmp11 = even1 + even2;
  const Wide tmp12 = even1 - even2;

  // Odd part: each of the four terms is a sum of in1, in3, in5 and in7 with
  // z1 = in7 + in1, z2 = in5 + in3, z3 = in7 + in3, z4 = in5 + in1 and
  // z5 = (z3 + z4) * c1.176 multiplied out.
  const Pair in7_in1 = interleave(in[7], in[1]);
  const Pair in5_in3 = interleave(in[5], in[3]);
  constexpr int c5 = fix_1_175875602;
  // in7 * c0.299 - z1 * c0.900 - z3 * c1.962 + z5
  const Wide odd0 = multiply(in7_in1, fix_0_298631336 - fix_0_899976223 - fix_1_961570560 + c5, c5 - fix_0_899976223) +
                    multiply(in5_in3, c5, c5 - fix_1_961570560);
  // in5 * c2.053 - z2 * c2.563 - z4 * c0.390 + z5
  const Wide odd1 = multiply(in7_in1, c5, c5 - fix_0_390180644) +
                    multiply(in5_in3, fix_2_053119869 - fix_2_562915447 - fix_0_390180644 + c5, c5 - fix_2_562915447);
  // in3 * c3.073 - z2 * c2.563 - z3 * c1.962 + z5
  const Wide odd2 = multiply(in7_in1, c5 - fix_1_961570560, c5) +
                    multiply(in5_in3, c5 - fix_2_562915447, fix_3_072711026 - fix_2_562915447 - fix_1_961570560 + c5);
  // in1 * c1.501 - z1 * c0.900 - z4 * c0.390 + z5
  const Wide odd3 = multiply(in7_in1, c5 - fix_0_899976223, fix_1_501321110 - fix_0_899976223 - fix_0_390180644 + c5) +
                    multiply(in5_in3, c5 - fix_0_390180644, c5);

  out[0] = tmp10 + odd3;
  out[7] = tmp10 - odd3;
  out[1] = tmp11 + odd2;
  out[6] = tmp11 - odd2;
  out[2] = tmp12 + odd1;
  out[5] = tmp12 - odd1;
  out[3] = tmp13 + odd0;
  out[4] = tmp13 - odd0;
}

// raw * quant for eight coefficients, saturated to 16 bits. mulhi reads
// quant as signed: an entry of 2^15 or more counts 2^16 less, which takes
// raw * 2^16 off the product, so raw goes back onto its high half. The
// exact product fits in 32 bits (|raw| <= 2^15, quant < 2^16).
[[gnu::always_inline]] inline __m128i dequantise(__m128i raw, __m128i quant) {
  const __m128i low = _mm_mullo_epi16(raw, quant);
  const __m128i high = _mm_add_epi16(_mm_mulhi_epi16(raw, quant), _mm_and_si128(raw, _mm_srai_epi16(quant, 15)));
  return _mm_packs_epi32(_mm_unpacklo_epi16(low, high), _mm_unpackhi_epi16(low, high));
}

// v[i] lane j <- v[j] lane i, for eight vectors of 16-bit lanes.
[[gnu::always_inline]] inline void transpose_8x8(__m128i* v) {
  const __m128i a0 = _mm_unpacklo_epi16(v[0], v[1]);
  const __m128i a1 = _mm_unpackhi_epi16(v[0], v[1]);
  const __m128i a2 = _mm_unpacklo_epi16(v[2], v[3]);
  const __m128i a3 = _mm_unpackhi_epi16(v[2], v[3]);
  const __m128i a4 = _mm_unpacklo_epi16(v[4], v[5]);
  const __m128i a5 = _mm_unpackhi_epi16(v[4], v[5]);
  const __m128i a6 = _mm_unpacklo_epi16(v[6], v[7]);
  const __m128i a7 = _mm_unpackhi_epi16(v[6], v[7]);
  const __m128i b0 = _mm_unpacklo_epi32(a0, a2);
  const __m128i b1 = _mm_unpackhi_epi32(a0, a2);
  const __m128i b2 = _mm_unpacklo_epi32(a1, a3);
  const __m128i b3 = _mm_unpackhi_epi32(a1, a3);
  const __m128i b4 = _mm_unpacklo_epi32(a4, a6);
  const __m128i b5 = _mm_unpackhi_epi32(a4, a6);
  const __m128i b6 = _mm_unpacklo_epi32(a5, a7);
  const __m128i b7 = _mm_unpackhi_epi32(a5, a7);
  v[0] = _mm_unpacklo_epi64(b0, b4);
  v[1] = _mm_unpackhi_epi64(b0, b4);
  v[2] = _mm_unpacklo_epi64(b1, b5);
  v[3] = _mm_unpackhi_epi64(b1, b5);
  v[4] = _mm_unpacklo_epi64(b2, b6);
  v[5] = _mm_unpackhi_epi64(b2, b6);
  v[6] = _mm_unpacklo_epi64(b3, b7);
  v[7] = _mm_unpackhi_epi64(b3, b7);
}

// The row pass, in and out with rows across the lanes: in[k] lane r is
// coefficient k of row r, and so is out[k] of the results (2 extra bits of
// precision). Returns false when a result does not fit in 16 bits.
[[gnu::always_inline]] inline bool row_pass(const __m128i* in, __m128i* out) {
  Wide sums[8];
  idct_8_lanes(in, row_bias, sums);
  // x fits in 16 bits when x + 2^15 has no bit above the low 16.
  const __m128i offset = _mm_set1_epi32(0x8000);
  __m128i outside = _mm_setzero_si128();
  for (int k = 0; k < 8; ++k) {
    const __m128i low = _mm_srai_epi32(sums[k].low, row_shift);
    const __m128i high = _mm_srai_epi32(sums[k].high, row_shift);
    outside = _mm_or_si128(outside, _mm_or_si128(_mm_add_epi32(low, offset), _mm_add_epi32(high, offset)));
    out[k] = _mm_packs_epi32(low, high);
  }
  return _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_srli_epi32(outside, 16), _mm_setzero_si128())) == 0xFFFF;
}

// The column pass: in[k] lane c is row k's result in column c; output row r
// gets out[r] level-shifted and clamped to 0..255.
[[gnu::always_inline]] inline void column_pass(const __m128i* in, std::uint8_t* output, int stride) {
  Wide sums[8];
  idct_8_lanes(in, column_bias, sums);
  for (int r = 0; r < 8; r += 2) {
    // Samples lie within +-7780 before clamping (61214 * 2^15 >> 18, and
    // the level shift): packing to 16 bits keeps them, packing to bytes
    // clamps.
    const __m128i top = _mm_packs_epi32(_mm_srai_epi32(sums[r].low, column_shift),
                                        _mm_srai_epi32(sums[r].high, column_shift));
    const __m128i bottom = _mm_packs_epi32(_mm_srai_epi32(sums[r + 1].low, column_shift),
                                           _mm_srai_epi32(sums[r + 1].high, column_shift));
    const __m128i bytes = _mm_packus_epi16(top, bottom);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(output + r * stride), bytes);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(output + (r + 1) * stride), _mm_unpackhi_epi64(bytes, bytes));
  }
}

}  // namespace

void jpeg_idct_block_sse2(const std::int16_t* coefficients, const std::uint16_t* quant, std::uint8_t* output,
                          int stride) {
  __m128i v[8];
  for (int r = 0; r < 8; ++r) {
    v[r] = dequantise(_mm_loadu_si128(reinterpret_cast<const __m128i*>(coefficients + 8 * r)),
                      _mm_loadu_si128(reinterpret_cast<const __m128i*>(quant + 8 * r)));
  }
  // Rows across the lanes for the row pass, then columns across the lanes
  // for the column pass.
  transpose_8x8(v);
  __m128i rows[8];
  if (!row_pass(v, rows)) {
    jpeg_idct_block_portable(coefficients, quant, output, stride);
    return;
  }
  transpose_8x8(rows);
  column_pass(rows, output, stride);
}

#endif  // __SSE2__
