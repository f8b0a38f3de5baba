// Refilling the bit buffer, and Huffman codes longer than the look-up table.
#include "jpeg/jpeg_bit_reader.h"

namespace {

std::uint64_t load_big_endian(const std::uint8_t* bytes) {
  std::uint64_t value = 0;
  for (int i = 0; i < 8; ++i) value = value << 8 | bytes[i];
  return value;
}

// Whether any of the 8 bytes is FF: a zero byte of the complement.
bool has_ff_byte(std::uint64_t bytes) {
  const std::uint64_t complement = ~bytes;
  return ((complement - 0x0101010101010101u) & ~complement & 0x8080808080808080u) != 0;
}

}  // namespace

void JpegBitReader::refill() {
  // The common case: eight buffered bytes without FF, taken whole bytes at once.
  if (!at_marker_ && source_.buffered() >= 8) {
    const std::uint64_t next = load_big_endian(source_.buffered_bytes());
    if (!has_ff_byte(next)) {
      const int taken = (64 - count_) >> 3;  // 1..8 whole bytes fit below the buffered bits
      const std::uint64_t kept = taken == 8 ? next : next & ~(~std::uint64_t{0} >> (8 * taken));
      bits_ |= kept >> count_;
      count_ += 8 * taken;
      source_.advance(taken);
      return;
    }
  }
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
