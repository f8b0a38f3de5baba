// Entropy decoding of blocks: the DC difference and the run-length coded AC
// terms of a sequential scan (ITU-T T.81 F.2.2). The coefficients stay raw:
// the inverse transform dequantises them.
#pragma once

#include <cstdint>

#include "jpeg/jpeg_bit_reader.h"
#include "jpeg/jpeg_huffman.h"

// Decodes one block into `block` (natural order): each coefficient at
// zig-zag index k is stored at its natural index. `block` must be zero
// beyond the first `previous_extent` zig-zag positions; positions up to
// there that this block leaves unwritten are cleared. Returns the new
// extent, beyond which the block is zero: the last written position + 1
// (more if a run of sixteen zeros ends the block). `predictor` is the
// component's DC predictor. Throws jpeg_error_corrupt_data.
int jpeg_decode_sequential_block(JpegBitReader& reader, const JpegHuffmanTable& dc_table,
                                 const JpegHuffmanTable& ac_table, int& predictor, std::int16_t* block,
                                 int previous_extent);
