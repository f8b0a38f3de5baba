// Dequantisation and the inverse DCT of one 8x8 block: the accurate integer
// transform (Loeffler-Ligtenberg-Moschytz factorisation, 13-bit fixed-point
// constants), first over the rows, then over the columns, with 2 extra bits
// of precision between the passes. Output samples are level-shifted and
// clamped to 0..255.
#pragma once

#include <cstdint>

// cos-derived constants scaled by 2^13, shared by both transforms.
constexpr int fix_0_298631336 = 2446;
constexpr int fix_0_390180644 = 3196;
constexpr int fix_0_541196100 = 4433;
constexpr int fix_0_765366865 = 6270;
constexpr int fix_0_899976223 = 7373;
constexpr int fix_1_175875602 = 9633;
constexpr int fix_1_501321110 = 12299;
constexpr int fix_1_847759065 = 15137;
constexpr int fix_1_961570560 = 16069;
constexpr int fix_2_053119869 = 16819;
constexpr int fix_2_562915447 = 20995;
constexpr int fix_3_072711026 = 25172;

// quant * value, saturated to 16 bits (only corrupt data reaches the limits).
inline std::int16_t jpeg_dequantise(int value, std::uint16_t quant) {
  const int product = value * quant;  // |value| <= 32768, quant <= 65535: fits in 32 bits
  return static_cast<std::int16_t>(product < -32768 ? -32768 : product > 32767 ? 32767 : product);
}

// The portable transform: the reference the vector one matches exactly, and
// the whole job where there is none. `coefficients` holds 64 raw
// coefficients and `quant` their quantisation entries, both in natural
// (row-major) order; each coefficient is dequantised with jpeg_dequantise().
// The 8 output rows go to `output`, `stride` bytes apart.
void jpeg_idct_block_portable(const std::int16_t* coefficients, const std::uint16_t* quant, std::uint8_t* output,
                              int stride);

#ifdef __SSE2__
// The same in SSE2 (every x86-64 processor has it), same samples.
void jpeg_idct_block_sse2(const std::int16_t* coefficients, const std::uint16_t* quant, std::uint8_t* output,
                          int stride);
#endif

// The transform the decoder uses: the vector one where there is one.
inline void jpeg_idct_block(const std::int16_t* coefficients, const std::uint16_t* quant, std::uint8_t* output,
                            int stride) {
#ifdef __SSE2__
  jpeg_idct_block_sse2(coefficients, quant, output, stride);
#else
  jpeg_idct_block_portable(coefficients, quant, output, stride);
#endif
}

// The transform of a block whose only non-zero coefficient is the DC term
// (dequantised): all 64 samples take one value.
void jpeg_idct_dc_block(int dc, std::uint8_t* output, int stride);
