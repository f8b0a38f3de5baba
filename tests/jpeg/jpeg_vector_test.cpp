// The decoder's SSE2 paths against their portable versions, which they must
// match exactly: dequantisation and the inverse transform on random blocks
// of every range that valid and corrupt data can produce, including the
// 16-bit extremes and saturating products; the colour converter on every
// (Y, Cb, Cr), and on lines of every sampling and of widths that end inside a
// group of 16 pixels.
#include <gtest/gtest.h>

#include <algorithm>
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
  random,        // each coefficient from [low, high], kept with probability 1 / one_in (DC always)
  extremes,      // each coefficient -32768, 0 or 32767: the largest sums of both signs
  dc_rows,       // DC terms only, in some rows, of magnitude low..high
  column_bound,  // a DC term of 8191 or -8192 in every row: the column pass's 32-bit sums near their bound
};

struct BlockCase {
  const char* name;
  int trials;
  Fill fill;
  int low, high, one_in;
  int quant_high;  // quantisation entries drawn from 1..quant_high
};

void fill_block(std::mt19937& random, const BlockCase& c, std::int16_t* block) {
  const int extremes[3] = {-32768, 0, 32767};
  for (int i = 0; i < 64; ++i) {
    int value = 0;
    const bool dc = i % 8 == 0;
    if (c.fill == Fill::random && (i == 0 || uniform(random, 1, c.one_in) == 1)) value = uniform(random, c.low, c.high);
    if (c.fill == Fill::extremes) value = extremes[uniform(random, 0, 2)];
    if (c.fill == Fill::dc_rows && dc && uniform(random, 0, 1) == 1) {
      value = uniform(random, c.low, c.high) * (uniform(random, 0, 1) == 0 ? 1 : -1);
    }
    if (c.fill == Fill::column_bound && dc) value = uniform(random, 0, 1) == 0 ? 8191 : -8192;
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
      {"16-bit extremes only", 5000, Fill::extremes, 0, 0, 0, 1},
      {"DC-only rows at the 16-bit limit", 5000, Fill::dc_rows, 8189, 8192, 0, 1},
      {"column pass at its 32-bit bound", 1000, Fill::column_bound, 0, 0, 0, 1},
      {"DC only", 2000, Fill::random, -32768, 32767, 1000000, 1},
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
      std::uint8_t expected[8 * 12];
      std::uint8_t got[8 * 12];
      std::fill(expected, expected + 8 * 12, 0xA5);
      std::fill(got, got + 8 * 12, 0xA5);
      jpeg_idct_block_portable(block, quant, expected, 12);
      jpeg_idct_block_sse2(block, quant, got, 12);
      for (int i = 0; i < 8 * 12; ++i) {
        ASSERT_EQ(got[i], expected[i]) << c.name << ", trial " << trial << ": row " << i / 12 << ", column " << i % 12
                                       << " (columns 8..11 untouched) of block" << describe_block(block, quant);
      }
    }
  }
}

// Line L of 256 pixels has luma x, Cb (L + x) mod 256 and Cr (L / 256 + 3x)
// mod 256 at pixel x: over the 65536 lines every pixel position meets every
// (Cb, Cr) pair, so all 2^24 inputs pass through every lane.
TEST(JpegVectorColour, ConvertsEveryInputLikeThePortableConverter) {
  JpegColourTables tables;
  jpeg_colour_tables_build(tables);
  std::uint8_t luma[256];
  std::uint8_t cb[256];
  std::uint8_t cr[256];
  for (int x = 0; x < 256; ++x) luma[x] = static_cast<std::uint8_t>(x);
  std::vector<std::uint8_t> expected(256 * 4);
  std::vector<std::uint8_t> got(256 * 4);
  const std::uint8_t* const luma_lines[1] = {luma};
  std::uint8_t* const expected_lines[1] = {expected.data()};
  std::uint8_t* const got_lines[1] = {got.data()};
  for (int line = 0; line < 65536; ++line) {
    for (int x = 0; x < 256; ++x) {
      cb[x] = static_cast<std::uint8_t>(line + x);
      cr[x] = static_cast<std::uint8_t>((line >> 8) + 3 * x);
    }
    jpeg_colour_convert_lines_portable(tables, luma_lines, 1, cb, cr, 1, 256, expected_lines);
    ASSERT_EQ(jpeg_colour_convert_lines_sse2(luma_lines, 1, cb, cr, 1, 256, got_lines), 256);
    if (got == expected) continue;
    for (int i = 0; i < 256 * 4; ++i) {
      ASSERT_EQ(got[i], expected[i]) << "Y " << i / 4 << ", Cb " << int{cb[i / 4]} << ", Cr " << int{cr[i / 4]}
                                     << ": byte " << i % 4;
    }
  }
}

// The converters the decoder calls, vector groups and portable ends
// together, against the portable converter alone: random lines of every
// chroma step, one line or a pair, widths around the groups of 16, and
// nothing written past the line's end.
TEST(JpegVectorColour, LinesOfEveryWidthAndSamplingMatchThePortableConverter) {
  JpegColourTables tables;
  jpeg_colour_tables_build(tables);
  std::mt19937 random(3);
  constexpr int guard = 16;  // bytes after each output line that must stay untouched
  for (int width = 1; width <= 80; ++width) {
    for (int chroma_step = 1; chroma_step <= 2; ++chroma_step) {
      for (int line_count = 1; line_count <= 2; ++line_count) {
        std::vector<std::uint8_t> input(4 * width);  // two luma lines, a Cb and a Cr line
        for (auto& v : input) v = static_cast<std::uint8_t>(random());
        const std::uint8_t* const luma[2] = {input.data(), input.data() + width};
        const std::uint8_t* cb = input.data() + 2 * width;
        const std::uint8_t* cr = input.data() + 3 * width;
        const std::size_t line_bytes = static_cast<std::size_t>(width) * 4 + guard;
        std::vector<std::uint8_t> expected(2 * line_bytes, 0xA5);
        std::vector<std::uint8_t> got(2 * line_bytes, 0xA5);
        std::uint8_t* const expected_lines[2] = {expected.data(), expected.data() + line_bytes};
        jpeg_colour_convert_lines_portable(tables, luma, line_count, cb, cr, chroma_step, width, expected_lines);
        if (line_count == 1) {
          jpeg_colour_convert_line(tables, luma[0], cb, cr, chroma_step, width, got.data());
        } else {
          jpeg_colour_convert_line_pair(tables, luma[0], luma[1], cb, cr, chroma_step, width, got.data(),
                                        got.data() + line_bytes);
        }
        for (std::size_t i = 0; i < got.size(); ++i) {
          ASSERT_EQ(got[i], expected[i]) << "width " << width << ", chroma step " << chroma_step << ", " << line_count
                                         << " line(s): line " << i / line_bytes << ", byte " << i % line_bytes
                                         << (i % line_bytes >= line_bytes - guard ? " (guard)" : "");
        }
      }
    }
  }
}

#endif  // __SSE2__
