// Sequential block decoding.
#include "jpeg/jpeg_entropy.h"

#include <cstring>

#include "jpeg/jpeg_frame.h"

const std::uint8_t jpeg_zigzag_to_natural[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                                                 12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                                                 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                                                 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

namespace {

// The DC predictor is kept modulo 2^16, so that no run of corrupt
// differences can overflow it; valid data never wraps.
int wrap16(int value) { return ((value + 32768) & 0xFFFF) - 32768; }

// Clears a whole block. A copy of zeros compiles to eight 16-byte stores,
// where a memset of 128 bytes becomes a string instruction slow to start.
void clear_block(std::int16_t* block) {
  static const std::int16_t zeros[64] = {};
  std::memcpy(block, zeros, sizeof zeros);
}

}  // namespace

int jpeg_decode_sequential_block(JpegBitReader& reader, const JpegHuffmanTable& dc_table,
                                 const JpegHuffmanTable& ac_table, int& predictor, std::int16_t* block,
                                 int previous_extent) {
  JpegBitWindow bits(reader);
  bits.ensure(32);  // a code and its magnitude bits
  const int dc_size = bits.decode_buffered(dc_table);
  if (dc_size > 15) throw JpegFailure{jpeg_error_corrupt_data};
  const int difference = dc_size == 0 ? 0 : bits.take_signed(dc_size);
  predictor = wrap16(predictor + difference);

  // Clearing only what the previous block in this place wrote; a whole
  // clear is cheaper than a long scattered one.
  if (previous_extent > 16) {
    clear_block(block);
  } else {
    for (int k = 1; k < previous_extent; ++k) block[jpeg_zigzag_to_natural[k]] = 0;
  }
  block[0] = static_cast<std::int16_t>(predictor);

  // k: the next zig-zag position; at the end of the block, the extent.
  int k = 1;
  while (k < 64) {
    bits.ensure(32);
    const JpegHuffmanTable::FastCoefficient fast = ac_table.fast_ac[bits.peek_lookup_bits()];
    if (fast.bits != 0) {
      bits.skip(fast.bits);
      k += fast.run;
      if (k > 63) throw JpegFailure{jpeg_error_corrupt_data};
      block[jpeg_zigzag_to_natural[k++]] = fast.value;
      continue;
    }
    const int symbol = bits.decode_buffered(ac_table);
    const int run = symbol >> 4;
    const int size = symbol & 0x0F;
    if (size == 0) {
      if (run != 15) break;  // end of block
      // Sixteen zeros: positions k .. k + 15 must exist. (Encoders follow
      // them with a coefficient, so the extent stays exact.)
      if (k + 15 > 63) throw JpegFailure{jpeg_error_corrupt_data};
      k += 16;
      continue;
    }
    k += run;
    if (k > 63) throw JpegFailure{jpeg_error_corrupt_data};
    block[jpeg_zigzag_to_natural[k++]] = static_cast<std::int16_t>(bits.take_signed(size));  // size <= 15
  }
  return k;
}
