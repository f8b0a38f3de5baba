// Refilling the bit buffer, and Huffman codes longer than the look-up table.
#include "jpeg/jpeg_bit_reader.h"

void JpegBitReader::refill() {
  while (count_ <= 56) {
    std::uint8_t byte = 0xFF;
    if (!at_marker_) {
      byte = source_.fetch();
      if (byte == 0xFF) {
        if (source_.peek() == 0x00) {
          source_.fetch();  // stuffed zero: FF is data
        } else {
          source_.unfetch();  // leave the FF of the marker unread
          at_marker_ = true;
        }
      }
    }
    if (at_marker_) fill_count_ += 8;
    bits_ |= static_cast<std::uint64_t>(byte) << (56 - count_);
    count_ += 8;
  }
}

int JpegBitReader::decode_long_code(const JpegHuffmanTable& table) {
  // The caller has buffered at least 16 bits, enough for any code.
  const std::int32_t bits16 = static_cast<std::int32_t>(bits_ >> 48);
  for (int length = JpegHuffmanTable::lookup_bits + 1; length <= 16; ++length) {
    const std::int32_t code = bits16 >> (16 - length);
    if (code <= table.max_code[length]) {
      consume(length);
      return table.symbols[code + table.offset[length]];
    }
  }
  throw JpegFailure{jpeg_error_corrupt_data};
}
