// The decoder's SSE2 paths against their portable versions, which they must
// match exactly: dequantisation and the inverse transform on random blocks
// of every range that valid and corrupt data can produce, including the
// 16-bit extremes and saturating products; the
// colour converter on every (Y, Cb, Cr), and on lines of every sampling and
// of widths that end inside a group of 16 pixels.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "jpeg/jpeg_colour.h"
#include "jpeg/jpeg_idct.h"

#ifdef __SSE2__

namespace {

std::string describe_block(const std::int16_t* block, const std::uint16_t* quant) {
  std::ostringstream text;
  for (int i = 0; i < 64; ++i) text << (i % 8 == 0 ? "\n  " : " ") << block[i] << "*" << quant[i];
  return text.str();
}

using Fill = std::function<void(std::mt19937&, std::int16_t*)>;

struct BlockCase {
  std::string name;
  int trials;
  Fill fill_coefficients;
  int quant_high;  // quantisation entries drawn from 1..quant_high
};

int uniform(std::mt19937& random, int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

// Every coefficient drawn from [low, high], each kept with probability
// 1 / `one_in` (DC always).
Fill random_block(int low, int high, int one_in) {
  return [=](std::mt19937& random, std::int16_t* block) {
    for (int i = 0; i < 64; ++i) {
      block[i] = static_cast<std::int16_t>(i == 0 || uniform(random, 1, one_in) == 1 ? uniform(random, low, high) : 0);
    }
  };
}

// Every coefficient one of -32768, 0 and 32767: the largest sums of both signs.
void extreme_block(std::mt19937& random, std::int16_t* block) {
  const int values[3] = {-32768, 0, 32767};
  for (int i = 0; i < 64; ++i) block[i] = static_cast<std::int16_t>(values[uniform(random, 0, 2)]);
}

// Only DC terms in some rows, near the value whose row result (DC * 4)
// leaves 16 bits: the last block the vector column pass takes, and the
// first it hands to the portable one.
void dc_rows_at_the_limit(std::mt19937& random, std::int16_t* block) {
  for (int i = 0; i < 64; ++i) block[i] = 0;
  for (int r = 0; r < 8; ++r) {
    if (uniform(random, 0, 1) == 0) continue;
    const int magnitude = uniform(random, 8189, 8192);
    block[8 * r] = static_cast<std::int16_t>(uniform(random, 0, 1) == 0 ? magnitude : -magnitude);
  }
}

// Row results that fill 16 bits with the signs of the column pass's
// weights, so that its 32-bit sums come near their bound.
void column_pass_extremes(std::mt19937& random, std::int16_t* block) {
  for (int i = 0; i < 64; ++i) block[i] = 0;
  for (int r = 0; r < 8; ++r) block[8 * r] = static_cast<std::int16_t>(uniform(random, 0, 1) == 0 ? 8191 : -8192);
}

}  // namespace

TEST(JpegVectorIdct, GivesThePortableTransformsSamplesExactly) {
  // With entries of 1 the transform alone meets each range.
  const std::vector<BlockCase> cases = {
      {"dense, range of 8-bit pictures", 20000, random_block(-1024, 1023, 1), 1},
      {"sparse, range of 8-bit pictures", 20000, random_block(-1024, 1023, 4), 1},
      {"dense, row results on both sides of 16 bits", 20000, random_block(-9000, 9000, 1), 1},
      {"sparse, row results on both sides of 16 bits", 20000, random_block(-9000, 9000, 3), 1},
      {"dense, full 16-bit range", 20000, random_block(-32768, 32767, 1), 1},
      {"16-bit extremes only", 5000, extreme_block, 1},
      {"DC-only rows at the 16-bit limit", 5000, dc_rows_at_the_limit, 1},
      {"column pass at its 32-bit bound", 1000, column_pass_extremes, 1},
      {"DC only", 2000, random_block(-32768, 32767, 1000000), 1},
      {"8-bit tables", 20000, random_block(-100, 100, 2), 255},
      {"16-bit tables, small coefficients", 20000, random_block(-3, 3, 2), 65535},
      {"16-bit tables, saturating products", 20000, random_block(-32768, 32767, 2), 65535},
  };
  std::mt19937 random(11);
  for (const BlockCase& c : cases) {
    for (int trial = 0; trial < c.trials; ++trial) {
      std::int16_t block[64];
      std::uint16_t quant[64];
      c.fill_coefficients(random, block);
      for (auto& entry : quant) entry = static_cast<std::uint16_t>(uniform(random, 1, c.quant_high));
      // Rows 12 bytes apart: the stride is honoured, and nothing between
      // the rows is written.
      std::uint8_t expected[8 * 12];
      std::uint8_t got[8 * 12];
      for (int i = 0; i < 8 * 12; ++i) expected[i] = got[i] = 0xA5;
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
  for (int line = 0; line < 65536; ++line) {
    for (int x = 0; x < 256; ++x) {
      cb[x] = static_cast<std::uint8_t>(line + x);
      cr[x] = static_cast<std::uint8_t>((line >> 8) + 3 * x);
    }
    const std::uint8_t* const luma_lines[1] = {luma};
    std::uint8_t* const expected_lines[1] = {expected.data()};
    std::uint8_t* const got_lines[1] = {got.data()};
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
        std::vector<std::uint8_t> luma(2 * width);
        std::vector<std::uint8_t> cb(width);
        std::vector<std::uint8_t> cr(width);
        for (auto& v : luma) v = static_cast<std::uint8_t>(random());
        for (auto& v : cb) v = static_cast<std::uint8_t>(random());
        for (auto& v : cr) v = static_cast<std::uint8_t>(random());
        const std::size_t line_bytes = static_cast<std::size_t>(width) * 4 + guard;
        std::vector<std::uint8_t> expected(2 * line_bytes, 0xA5);
        std::vector<std::uint8_t> got(2 * line_bytes, 0xA5);
        const std::uint8_t* const luma_lines[2] = {luma.data(), luma.data() + width};
        std::uint8_t* const expected_lines[2] = {expected.data(), expected.data() + line_bytes};
        jpeg_colour_convert_lines_portable(tables, luma_lines, line_count, cb.data(), cr.data(), chroma_step, width,
                                           expected_lines);
        if (line_count == 1) {
          jpeg_colour_convert_line(tables, luma.data(), cb.data(), cr.data(), chroma_step, width, got.data());
        } else {
          jpeg_colour_convert_line_pair(tables, luma_lines[0], luma_lines[1], cb.data(), cr.data(), chroma_step, width,
                                        got.data(), got.data() + line_bytes);
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
