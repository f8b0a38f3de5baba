// The decoder's inner parts where a picture-level test would hide the cause:
// the portable inverse transform against a double-precision one (in both
// widths of its column pass), its DC-only path against the general one, and
// the bit reader at stuffed bytes and markers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "jpeg/jpeg_bit_reader.h"
#include "jpeg/jpeg_byte_source.h"
#include "jpeg/jpeg_idct.h"
#include "jpeg/jpeg_input_stream.h"

namespace {

// The inverse DCT of T.81 A.3.3, level-shifted and clamped.
void reference_idct(const std::int16_t* coefficients, std::uint8_t* output) {
  const double pi = std::acos(-1.0);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      double sum = 0;
      for (int v = 0; v < 8; ++v) {
        for (int u = 0; u < 8; ++u) {
          const double cu = u == 0 ? std::sqrt(0.5) : 1.0;
          const double cv = v == 0 ? std::sqrt(0.5) : 1.0;
          sum += cu * cv * coefficients[8 * v + u] * std::cos((2 * x + 1) * u * pi / 16) *
                 std::cos((2 * y + 1) * v * pi / 16);
        }
      }
      output[8 * y + x] = static_cast<std::uint8_t>(std::fmin(255.0, std::fmax(0.0, std::round(sum / 4 + 128))));
    }
  }
}

// Quantisation entries of 1: the transform alone.
const std::vector<std::uint16_t> unit_quant(64, 1);

}  // namespace

// Sparse random blocks against the exact transform. The row pass's results
// up to 2^15 take the 32-bit column pass, larger ones the 64-bit one; corrupt
// data can put any 16-bit value into a block. Every range must stay within
// the error its 13-bit constants allow (and overflow nothing: the sanitizer
// build checks).
TEST(JpegIdct, StaysCloseToTheExactTransformInEveryRange) {
  struct Case {
    const char* name;
    int trials, low, high;
    bool limits_only;  // every coefficient set is `low` or `high`
    int tolerance;
  };
  const Case cases[] = {
      {"range of 8-bit pictures", 3000, -1024, 1023, false, 1},
      {"both sides of the 32-bit column pass", 3000, -9000, 9000, false, 2},
      {"16-bit extremes", 1000, -32768, 32767, true, 4},
  };
  for (const Case& c : cases) {
    std::mt19937 random(5);
    for (int trial = 0; trial < c.trials; ++trial) {
      std::int16_t block[64] = {};
      for (int i = 0; i < 64; ++i) {
        if (random() % 3 != 0 && i > 0) continue;  // DC always set
        const auto span = static_cast<unsigned>(c.high - c.low + 1);
        block[i] = static_cast<std::int16_t>(c.limits_only ? (random() % 2 ? c.high : c.low)
                                                           : c.low + static_cast<int>(random() % span));
      }
      std::uint8_t got[64];
      std::uint8_t expected[64];
      jpeg_idct_block_portable(block, unit_quant.data(), got, 8);
      reference_idct(block, expected);
      for (int i = 0; i < 64; ++i) {
        ASSERT_LE(std::abs(got[i] - expected[i]), c.tolerance)
            << c.name << ", trial " << trial << ", sample " << i << ": expected " << int{expected[i]} << ", got "
            << int{got[i]};
      }
    }
  }
}

TEST(JpegIdct, TheDcOnlyPathMatchesTheGeneralOne) {
  for (int dc = -32768; dc <= 32767; dc += 7) {
    std::int16_t block[64] = {};
    block[0] = static_cast<std::int16_t>(dc);
    std::uint8_t general[64];
    std::uint8_t dc_only[64];
    jpeg_idct_block(block, unit_quant.data(), general, 8);
    jpeg_idct_dc_block(dc, dc_only, 8);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(dc_only[i], general[i]) << "dc " << dc << ", sample " << i;
  }
}

TEST(JpegBitReader, UnstuffsFfAndStopsAtAMarker) {
  const std::uint8_t bytes[] = {0xAB, 0xFF, 0x00, 0x12, 0xFF, 0xFF, 0xD0, 0x34};
  JpegMemoryStream stream(bytes, sizeof bytes);
  JpegByteSource source(&stream);
  JpegBitReader bits(source);
  const unsigned expected[] = {0xAB, 0xFF, 0x12, 0xFF, 0xFF, 0xFF};  // then 1 bits at the fill-and-marker
  for (unsigned want : expected) EXPECT_EQ(bits.read_bits(8), want);
  EXPECT_EQ(bits.read_signed(3), 7) << "leading 1 bit: positive";
  // The marker, with its fill byte, is still unread.
  EXPECT_EQ(source.fetch(), 0xFF);
  EXPECT_EQ(source.fetch(), 0xFF);
  EXPECT_EQ(source.fetch(), 0xD0);
  EXPECT_EQ(source.fetch(), 0x34);
  // Past the end: end-of-image markers for ever.
  for (int i = 0; i < 10000; ++i) ASSERT_EQ(source.fetch(), i % 2 == 0 ? 0xFF : 0xD9) << "byte " << i;
}
