// The decoder's SSE2 paths against their portable versions, which they must
// match exactly: the inverse transform on random blocks of every range that
// valid and corrupt data can produce, including the 16-bit extremes.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <sstream>
#include <string>

#include "jpeg/jpeg_idct.h"

#ifdef __SSE2__

namespace {

std::string describe_block(const std::int16_t* block) {
  std::ostringstream text;
  for (int i = 0; i < 64; ++i) text << (i % 8 == 0 ? "\n  " : " ") << block[i];
  return text.str();
}

struct BlockCase {
  std::string name;
  int trials;
  // Fills a block from the generator.
  std::function<void(std::mt19937&, std::int16_t*)> fill;
};

int uniform(std::mt19937& random, int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(random);
}

// Every coefficient drawn from [low, high], each kept with probability
// 1 / `one_in` (DC always).
std::function<void(std::mt19937&, std::int16_t*)> random_block(int low, int high, int one_in) {
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
  const std::vector<BlockCase> cases = {
      {"dense, range of 8-bit pictures", 20000, random_block(-1024, 1023, 1)},
      {"sparse, range of 8-bit pictures", 20000, random_block(-1024, 1023, 4)},
      {"dense, row results on both sides of 16 bits", 20000, random_block(-9000, 9000, 1)},
      {"sparse, row results on both sides of 16 bits", 20000, random_block(-9000, 9000, 3)},
      {"dense, full 16-bit range", 20000, random_block(-32768, 32767, 1)},
      {"16-bit extremes only", 5000, extreme_block},
      {"DC-only rows at the 16-bit limit", 5000, dc_rows_at_the_limit},
      {"column pass at its 32-bit bound", 1000, column_pass_extremes},
      {"DC only", 2000, random_block(-32768, 32767, 1000000)},
  };
  std::mt19937 random(11);
  for (const BlockCase& c : cases) {
    for (int trial = 0; trial < c.trials; ++trial) {
      std::int16_t block[64];
      c.fill(random, block);
      // Rows 12 bytes apart: the stride is honoured, and nothing between
      // the rows is written.
      std::uint8_t expected[8 * 12];
      std::uint8_t got[8 * 12];
      for (int i = 0; i < 8 * 12; ++i) expected[i] = got[i] = 0xA5;
      jpeg_idct_block_portable(block, expected, 12);
      jpeg_idct_block_sse2(block, got, 12);
      for (int i = 0; i < 8 * 12; ++i) {
        ASSERT_EQ(got[i], expected[i]) << c.name << ", trial " << trial << ": row " << i / 12 << ", column "
                                       << i % 12 << " (columns 8..11 untouched) of block" << describe_block(block);
      }
    }
  }
}

#endif  // __SSE2__
