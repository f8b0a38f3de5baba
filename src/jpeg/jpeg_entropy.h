// Entropy decoding of blocks: the DC difference and the run-length coded AC
// terms of a sequential scan (ITU-T T.81 F.2.2), dequantised on the way.
#pragma once

#include <cstdint>

#include "jpeg/jpeg_bit_reader.h"
#include "jpeg/jpeg_huffman.h"

// Decodes one block into `block` (natural order): each coefficient at
// zig-zag index k is multiplied by quant[k] and stored at its natural index.
// `block` must be zero beyond the first `previous_extent` zig-zag positions;
// positions up to there that this block leaves unwritten are cleared. Returns
// the new extent (the last written zig-zag position + 1). `predictor` is the
// component's DC predictor. Throws jpeg_error_corrupt_data.
int jpeg_decode_sequential_block(JpegBitReader& bits, const JpegHuffmanTable& dc_table,
                                 const JpegHuffmanTable& ac_table, int& predictor, const std::uint16_t* quant,
                                 std::int16_t* block, int previous_extent);

// quant[k] * value, saturated to 16 bits (only corrupt data reaches the limits).
inline std::int16_t jpeg_dequantise(int value, std::uint16_t quant) {
  const int product = value * quant;  // |value| <= 32768, quant <= 65535: fits in 32 bits
  return static_cast<std::int16_t>(product < -32768 ? -32768 : product > 32767 ? 32767 : product);
}
