// The inverse DCT of one 8x8 block: the accurate integer transform
// (Loeffler-Ligtenberg-Moschytz factorisation, 13-bit fixed-point constants),
// first over the rows, then over the columns, with 2 extra bits of precision
// between the passes. Output samples are level-shifted and clamped to 0..255.
#pragma once

#include <cstdint>

// The portable transform: the reference the vector one matches exactly, and
// the whole job where there is none. `coefficients` holds 64 dequantised
// values in natural (row-major) order; the 8 output rows go to `output`,
// `stride` bytes apart.
void jpeg_idct_block_portable(const std::int16_t* coefficients, std::uint8_t* output, int stride);

#ifdef __SSE2__
// The same transform in SSE2 (every x86-64 processor has it), same samples.
void jpeg_idct_block_sse2(const std::int16_t* coefficients, std::uint8_t* output, int stride);
#endif

// The transform the decoder uses: the vector one where there is one.
inline void jpeg_idct_block(const std::int16_t* coefficients, std::uint8_t* output, int stride) {
#ifdef __SSE2__
  jpeg_idct_block_sse2(coefficients, output, stride);
#else
  jpeg_idct_block_portable(coefficients, output, stride);
#endif
}

// The same transform for a block whose only non-zero coefficient is the DC
// term: all 64 samples take one value.
void jpeg_idct_dc_block(int dc, std::uint8_t* output, int stride);
