// Huffman tables: the code-length counts and symbols of a DHT segment, and the
// structures that decode them. Codes of up to `lookup_bits` bits resolve with
// one table look-up; longer codes (up to 16 bits) are found by comparing
// against the largest code of each length, as in ITU-T T.81 Annex F. Common
// AC coefficients resolve, magnitude and all, with one look-up.
#pragma once

#include <cstdint>

struct JpegHuffmanTable {
  static constexpr int lookup_bits = 9;

  std::uint8_t counts[17];    // counts[length], lengths 1..16
  std::uint8_t symbols[256];  // in order of increasing code
  // Indexed by the next lookup_bits bits: code length << 8 | symbol, or 0
  // when the code is longer than lookup_bits.
  std::uint16_t lookup[1 << lookup_bits];
  // For AC tables: a code and the magnitude bits that follow it, when both
  // fit in the next lookup_bits bits, resolved at once to the coefficient.
  struct FastCoefficient {
    std::uint8_t bits;   // code and magnitude bits together; 0: not resolved here
    std::uint8_t run;    // zeros before it
    std::int16_t value;  // the coefficient, sign-extended
  };
  FastCoefficient fast_ac[1 << lookup_bits];
  // For lengths 1..16: the largest code of that length (-1 if none), and
  // symbols[code + offset[length]] is the symbol of a code of that length.
  std::int32_t max_code[17];
  std::int32_t offset[17];
};

// Builds the decoding structures from counts[] and symbols[]. Returns false
// when the counts assign more codes than lengths up to 16 can hold.
bool jpeg_huffman_build(JpegHuffmanTable& table);

// A code longer than lookup_bits at the top of `bits16` (the next 16 bits):
// its length << 8 | its symbol. Throws jpeg_error_corrupt_data when the bits
// form no code of the table.
unsigned jpeg_huffman_decode_long_code(const JpegHuffmanTable& table, unsigned bits16);
