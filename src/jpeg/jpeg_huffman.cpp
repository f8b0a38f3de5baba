// Canonical Huffman code generation (ITU-T T.81 Annex C) and the look-up
// structures built from it.
#include "jpeg/jpeg_huffman.h"

#include "jpeg/jpeg_errors.h"

namespace {

// Every look-up index whose code is a coefficient (size 1..15) with its
// magnitude bits inside the index resolves to that coefficient.
void build_fast_ac(JpegHuffmanTable& table) {
  constexpr int bits = JpegHuffmanTable::lookup_bits;
  for (int index = 0; index < (1 << bits); ++index) {
    JpegHuffmanTable::FastCoefficient& fast = table.fast_ac[index];
    fast = {0, 0, 0};
    const int entry = table.lookup[index];
    const int length = entry >> 8;
    const int symbol = entry & 0xFF;
    const int size = symbol & 0x0F;
    if (length == 0 || size == 0 || length + size > bits) continue;
    const int magnitude = (index >> (bits - length - size)) & ((1 << size) - 1);
    // A leading 0 bit means a negative value (T.81 F.2.2.1, EXTEND).
    const int value = magnitude < (1 << (size - 1)) ? magnitude - (1 << size) + 1 : magnitude;
    fast = {static_cast<std::uint8_t>(length + size), static_cast<std::uint8_t>(symbol >> 4),
            static_cast<std::int16_t>(value)};
  }
}

}  // namespace

bool jpeg_huffman_build(JpegHuffmanTable& table) {
  for (auto& entry : table.lookup) entry = 0;
  std::int32_t code = 0;  // the next code, at the current length
  int symbol_index = 0;
  for (int length = 1; length <= 16; ++length) {
    const int count = table.counts[length];
    table.offset[length] = symbol_index - code;
    table.max_code[length] = count == 0 ? -1 : code + count - 1;
    if (code + count > (1 << length)) return false;  // the codes of this length do not fit
    for (int i = 0; i < count; ++i, ++code, ++symbol_index) {
      if (length > JpegHuffmanTable::lookup_bits) continue;
      // Every look-up index that starts with this code resolves to it.
      const int free_bits = JpegHuffmanTable::lookup_bits - length;
      const int first = code << free_bits;
      const std::uint16_t entry = static_cast<std::uint16_t>(length << 8 | table.symbols[symbol_index]);
      for (int j = 0; j < (1 << free_bits); ++j) table.lookup[first + j] = entry;
    }
    code <<= 1;
  }
  build_fast_ac(table);
  return true;
}

unsigned jpeg_huffman_decode_long_code(const JpegHuffmanTable& table, unsigned bits16) {
  for (int length = JpegHuffmanTable::lookup_bits + 1; length <= 16; ++length) {
    const std::int32_t code = static_cast<std::int32_t>(bits16 >> (16 - length));
    if (code <= table.max_code[length]) {
      return static_cast<unsigned>(length << 8 | table.symbols[code + table.offset[length]]);
    }
  }
  throw JpegFailure{jpeg_error_corrupt_data};
}
