// Dequantisation and the accurate integer inverse DCT, portable version.
//
// Overflow: any 16-bit input keeps every row-pass term inside 32 bits (the
// largest is about 2.0e9). Row-pass results stay below 2^15 in magnitude for
// ordinary pictures (8-bit samples make coefficients of about 2^11 at most),
// and then the column pass fits in 32 bits too (its largest term is 61214
// times its largest input); blocks of corrupt or extreme data, whose row-pass
// results reach about 2^20, take a column pass in 64 bits.
#include "jpeg/jpeg_idct.h"

#include <cstring>

namespace {


constexpr int const_bits = 13;
constexpr int row_shift = 11;     // const_bits - 2 extra bits kept for the column pass
constexpr int column_shift = 18;  // const_bits + 2 extra bits + 3 (the transform's factor of 8)
constexpr std::int32_t row_bias = 1 << (row_shift - 1);
// Rounding and the level shift of 128.
constexpr std::int32_t column_bias = (1 << (column_shift - 1)) + (128 << column_shift);

// One 8-point inverse transform: in[0..7] (stepping by `in_step`) to
// out[0..7] = (sum + bias) >> shift. `Wide` is the arithmetic type. The bias
// (rounding, and the column pass's level shift) goes in with the DC term,
// which every output contains once.
template <class Wide, class In, class Out>
void idct_1d(const In* in, int in_step, Out* out, int out_step, int shift, Wide bias) {
  // Even part.
  Wide z2 = in[2 * in_step];
  Wide z3 = in[6 * in_step];
  Wide z1 = (z2 + z3) * fix_0_541196100;
  const Wide even2 = z1 - z3 * fix_1_847759065;
  const Wide even3 = z1 + z2 * fix_0_765366865;
  z2 = in[0];
  z3 = in[4 * in_step];
  const Wide even0 = (z2 + z3) * (Wide{1} << const_bits) + bias;
  const Wide even1 = (z2 - z3) * (Wide{1} << const_bits) + bias;
  const Wide tmp10 = even0 + even3;
  const Wide tmp13 = even0 - even3;
  const Wide tmp11 = even1 + even2;
  const Wide tmp12 = even1 - even2;

  // Odd part.
  Wide odd0 = in[7 * in_step];
  Wide odd1 = in[5 * in_step];
  Wide odd2 = in[3 * in_step];
  Wide odd3 = in[1 * in_step];
  z1 = odd0 + odd3;
  z2 = odd1 + odd2;
  z3 = odd0 + odd2;
  Wide z4 = odd1 + odd3;
  const Wide z5 = (z3 + z4) * fix_1_175875602;
  odd0 *= fix_0_298631336;
  odd1 *= fix_2_053119869;
  odd2 *= fix_3_072711026;
  odd3 *= fix_1_501321110;
  z1 *= -fix_0_899976223;
  z2 *= -fix_2_562915447;
  z3 = z3 * -fix_1_961570560 + z5;
  z4 = z4 * -fix_0_390180644 + z5;
  odd0 += z1 + z3;
  odd1 += z2 + z4;
  odd2 += z2 + z3;
  odd3 += z1 + z4;

  out[0 * out_step] = static_cast<Out>((tmp10 + odd3) >> shift);
  out[7 * out_step] = static_cast<Out>((tmp10 - odd3) >> shift);
  out[1 * out_step] = static_cast<Out>((tmp11 + odd2) >> shift);
  out[6 * out_step] = static_cast<Out>((tmp11 - odd2) >> shift);
  out[2 * out_step] = static_cast<Out>((tmp12 + odd1) >> shift);
  out[5 * out_step] = static_cast<Out>((tmp12 - odd1) >> shift);
  out[3 * out_step] = static_cast<Out>((tmp13 + odd0) >> shift);
  out[4 * out_step] = static_cast<Out>((tmp13 - odd0) >> shift);
}

template <class Wide>
std::uint8_t clamp_sample(Wide value) {
  return static_cast<std::uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
}

// A column with only its DC term: (dc + 16) >> 5 is the column pass's
// rounding shift of dc * 2^13.
std::uint8_t dc_only_sample(std::int32_t dc) { return clamp_sample(((dc + 16) >> 5) + 128); }

// Row-pass results below this bound in magnitude keep the column pass inside
// 32 bits: 61214 * 32767 + the bias (2^17 + 2^25) < 2^31; its results then
// lie within +-(61214 * 32767 >> 18) + 129 = +-7782.
constexpr std::int32_t column_pass_32_bit_limit = 32767;

// Sample clamping by table for the 32-bit column pass:
// values[offset + v] = v limited to 0..255.
struct SampleClamp {
  static constexpr int offset = 8192;
  std::uint8_t values[2 * offset];
  constexpr SampleClamp() : values() {
    for (int i = 0; i < 2 * offset; ++i)
      values[i] = static_cast<std::uint8_t>(i < offset ? 0 : i - offset > 255 ? 255 : i - offset);
  }
};
constexpr SampleClamp sample_clamp;

// Whether every row-pass result is within the 32-bit column pass's limit.
bool fits_32_bit_column_pass(const std::int32_t* rows) {
  std::uint32_t outside = 0;
  for (int i = 0; i < 64; ++i) {
    outside |= static_cast<std::uint32_t>(rows[i] + column_pass_32_bit_limit) >
               static_cast<std::uint32_t>(2 * column_pass_32_bit_limit);
  }
  return outside == 0;
}

// Whether in[1..7] are all zero; in[4..7] with one 8-byte load.
bool ac_terms_zero(const std::int16_t* in) {
  std::uint64_t high;
  std::memcpy(&high, in + 4, sizeof high);
  return (in[1] | in[2] | in[3]) == 0 && high == 0;
}

// The row pass, into `rows` (2 extra bits of precision). Returns whether
// rows 1..7 are all zero: then every column has only its DC term.
bool row_pass(const std::int16_t* coefficients, std::int32_t* rows) {
  bool lower_rows_zero = true;
  for (int r = 0; r < 8; ++r) {
    const std::int16_t* in = coefficients + 8 * r;
    std::int32_t* out = rows + 8 * r;
    if (ac_terms_zero(in)) {
      const std::int32_t dc = in[0] * 4;  // the extra 2 bits
      for (int c = 0; c < 8; ++c) out[c] = dc;
      lower_rows_zero = lower_rows_zero && (r == 0 || dc == 0);
      continue;
    }
    idct_1d<std::int32_t>(in, 1, out, 1, row_shift, row_bias);
    lower_rows_zero = lower_rows_zero && r == 0;
  }
  return lower_rows_zero;
}

// The column pass, from `rows` to 8 output rows, level-shifted and clamped.
// In 32 bits every result lies inside the clamp table.
void column_pass_32(const std::int32_t* rows, std::uint8_t* output, int stride) {
  const std::uint8_t* clamp = sample_clamp.values + SampleClamp::offset;
  // All eight columns side by side: the compiler runs them in vector lanes.
  std::int32_t results[64];
  for (int c = 0; c < 8; ++c) idct_1d<std::int32_t>(rows + c, 8, results + c, 8, column_shift, column_bias);
  for (int r = 0; r < 8; ++r) {
    for (int c = 0; c < 8; ++c) output[r * stride + c] = clamp[results[8 * r + c]];
  }
}

void column_pass_64(const std::int32_t* rows, std::uint8_t* output, int stride) {
  for (int c = 0; c < 8; ++c) {
    std::int64_t column[8];
    idct_1d<std::int64_t>(rows + c, 8, column, 1, column_shift, column_bias);
    for (int r = 0; r < 8; ++r) output[r * stride + c] = clamp_sample(column[r]);
  }
}

// The column pass when every column has only its DC term (in row 0).
void dc_only_column_pass(const std::int32_t* rows, std::uint8_t* output, int stride) {
  std::uint8_t samples[8];
  for (int c = 0; c < 8; ++c) samples[c] = dc_only_sample(rows[c]);
  for (int r = 0; r < 8; ++r) std::memcpy(output + r * stride, samples, sizeof samples);
}

}  // namespace

void jpeg_idct_block_portable(const std::int16_t* coefficients, const std::uint16_t* quant, std::uint8_t* output,
                              int stride) {
  std::int16_t dequantised[64];
  for (int i = 0; i < 64; ++i) dequantised[i] = jpeg_dequantise(coefficients[i], quant[i]);
  std::int32_t rows[64];
  if (row_pass(dequantised, rows)) {
    dc_only_column_pass(rows, output, stride);
  } else if (fits_32_bit_column_pass(rows)) {
    column_pass_32(rows, output, stride);
  } else {
    column_pass_64(rows, output, stride);
  }
}

void jpeg_idct_dc_block(int dc, std::uint8_t* output, int stride) {
  const std::uint8_t sample = dc_only_sample(dc * 4);
  for (int r = 0; r < 8; ++r) {
    for (int c = 0; c < 8; ++c) output[r * stride + c] = sample;
  }
}
