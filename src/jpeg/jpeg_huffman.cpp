// Canonical Huffman code generation (ITU-T T.81 Annex C) and the look-up
// structures built from it.
#include "jpeg/jpeg_huffman.h"

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
  return true;
}
