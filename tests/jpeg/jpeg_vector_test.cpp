// The decoder's SSE2 paths against their portable versions, which they must
// match exactly: dequantisation and the inverse transform on blocks of every
// range valid and corrupt data can produce, and the colour converter on every
// (Y, Cb, Cr). Lines of every sampling and width are the oracle test's.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "jpeg/jpeg_colour.h"
#include "jpeg/jpeg_idct.h"

#ifdef __SSE2__

namespace {

int uniform(std::mt19937& random, int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

// How a case fills its blocks.
enum class Fill {
  random,     // each coefficient from [low, high], kept with probability 1 / one_in (DC always)
  extremes,   // each coefficient low, 0 or high
  dc_rows,    // DC terms only, in half the rows, of magnitude low..high and either sign
  dc_every,   // DC terms only, low or high in every row
  first_row,  // the first row only, from [low, high]: after the row pass every column has only its DC term
};

struct BlockCase {
  const char* name;
  int trials;
  Fill fill;
  int low, high, one_in, quant_high;  // quantisation entries drawn from 1..quant_high
};

void fill_block(std::mt19937& random, const BlockCase& c, std::int16_t* block) {
  for (int i = 0; i < 64; ++i) {
    int value = 0;
    if (c.fill == Fill::random && (i == 0 || uniform(random, 1, c.one_in) == 1)) value = uniform(random, c.low, c.high);
    if (c.fill == Fill::extremes) value = std::vector<int>{c.low, 0, c.high}[uniform(random, 0, 2)];
    if (c.fill == Fill::dc_rows && i % 8 == 0 && uniform(random, 0, 1) == 1) {
      value = uniform(random, c.low, c.high) * (uniform(random, 0, 1) == 0 ? 1 : -1);
    }
    if (c.fill == Fill::dc_every && i % 8 == 0) value = uniform(random, 0, 1) == 0 ? c.high : c.low;
    if (c.fill == Fill::first_row && i < 8) value = uniform(random, c.low, c.high);
    block[i] = static_cast<std::int16_t>(value);
  }
}

std::string describe_block(const std::int16_t* block, const std::uint16_t* quant) {
  std::ostringstream text;
  for (int i = 0; i < 64; ++i) text << (i % 8 == 0 ? "\n  " : " ") << block[i] << "*" << quant[i];
  return text.str();
}

}  // namespace

TEST(JpegVectorIdct, GivesThePortableTransformsSamplesExactly) {
  // With entries of 1 the transform alone meets each range. A row result of
  // DC * 4 leaves 16 bits from DC magnitude 8192: the vector column pass
  // takes the blocks below, and hands the others to the portable one.
  const BlockCase cases[] = {
      {"dense, range of 8-bit pictures", 20000, Fill::random, -1024, 1023, 1, 1},
      {"sparse, range of 8-bit pictures", 20000, Fill::random, -1024, 1023, 4, 1},
      {"dense, row results on both sides of 16 bits", 20000, Fill::random, -9000, 9000, 1, 1},
      {"sparse, row results on both sides of 16 bits", 20000, Fill::random, -9000, 9000, 3, 1},
      {"dense, full 16-bit range", 20000, Fill::random, -32768, 32767, 1, 1},
      {"16-bit extremes only: the largest sums of both signs", 5000, Fill::extremes, -32768, 32767, 1, 1},
      {"DC-only rows at the 16-bit limit", 5000, Fill::dc_rows, 8189, 8192, 1, 1},
      {"column pass near its 32-bit bound", 1000, Fill::dc_every, -8192, 8191, 1, 1},
      {"DC only", 2000, Fill::random, -32768, 32767, 1000000, 1},
      {"first row only", 5000, Fill::first_row, -1024, 1023, 1, 1},
      {"8-bit tables", 20000, Fill::random, -100, 100, 2, 255},
      {"16-bit tables, small coefficients", 20000, Fill::random, -3, 3, 2, 65535},
      {"16-bit tables, saturating products", 20000, Fill::random, -32768, 32767, 2, 65535},
  };
  std::mt19937 random(11);
  for (const BlockCase& c : cases) {
    for (int trial = 0; trial < c.trials; ++trial) {
      std::int16_t block[64];
      std::uint16_t quant[64];
      fill_block(random, c, block);
      for (auto& entry : quant) entry = static_cast<std::uint16_t>(uniform(random, 1, c.quant_high));
      // Rows 12 bytes apart: the stride is honoured, and nothing between
      // the rows is written.
      std::vector<std::uint8_t> expected(8 * 12, 0xA5), got(8 * 12, 0xA5);
      jpeg_idct_block_portable(block, quant, expected.data(), 12);
      jpeg_idct_block_sse2(block, quant, got.data(), 12);
      for (int i = 0; i < 8 * 12; ++i) {
        ASSERT_EQ(got[i], expected[i]) << c.name << ", trial " << trial << ": row " << i / 12 << ", column " << i % 12
                                       << " (columns 8..11 untouched) of block" << describe_block(block, quant);
      }
    }
  }
}

// Every input through the vector converter, as the decoder calls it for a
// pair of lines: line L of 256 pixels has Cb (L + x) mod 256 and Cr (L / 256
// + 3x) mod 256 at pixel x, so over the 65536 lines every pixel position
// meets every (Cb, Cr) pair, with luma x in the top line and 255 - x below.
TEST(JpegVectorColour, ConvertsEveryInputLikeThePortableConverter) {
  JpegColourTables tables;
  jpeg_colour_tables_build(tables);
  std::uint8_t top[256], bottom[256], cb[256], cr[256];
  std::iota(top, top + 256, std::uint8_t{0});
  std::reverse_copy(top, top + 256, bottom);
  std::vector<std::uint8_t> expected(2 * 256 * 4), got(2 * 256 * 4);
  const std::uint8_t* const luma[2] = {top, bottom};
  std::uint8_t* const expected_lines[2] = {expected.data(), expected.data() + 256 * 4};
  for (int line = 0; line < 65536; ++line) {
    for (int x = 0; x < 256; ++x) {
      cb[x] = static_cast<std::uint8_t>(line + x);
      cr[x] = static_cast<std::uint8_t>((line >> 8) + 3 * x);
    }
    jpeg_colour_convert_lines_portable(tables, luma, 2, cb, cr, 1, 256, expected_lines);
    jpeg_colour_convert_line_pair(tables, top, bottom, cb, cr, 1, 256, got.data(), got.data() + 256 * 4);
    for (int i = 0; i < 2 * 256 * 4 && got != expected; ++i) {
      const int x = i / 4 % 256;
      ASSERT_EQ(got[i], expected[i]) << "Y " << int{luma[i / 1024][x]} << ", Cb " << int{cb[x]} << ", Cr " << int{cr[x]}
                                     << ": byte " << i % 4;
    }
  }
}

#endif  // __SSE2__
