// The conversions between whole numbers and 16.16: negative values go in by
// a multiply and come out by the floor, in 32 and in 64 bits.
#include "shell/pixels/fixed_point.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

TEST(FixedPoint, WholeNumbersGoInExactlyAndComeOutByTheFloorForEverySign) {
  struct Case {
    std::int32_t fixed;
    std::int32_t floor;
  };
  const Case cases[] = {
      {0, 0},   {1, 0},       {65535, 0},   {65536, 1},   {7 * 65536 + 65535, 7},
      {-1, -1}, {-65535, -1}, {-65536, -1}, {-65537, -2}, {std::numeric_limits<std::int32_t>::min(), -32768},
      {std::numeric_limits<std::int32_t>::max(), 32767},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(from_fixed(c.fixed), c.floor) << "32-bit from_fixed(" << c.fixed << ")";
    EXPECT_EQ(from_fixed(std::int64_t{c.fixed}), c.floor) << "64-bit from_fixed(" << c.fixed << ")";
  }
  struct Whole {
    std::int32_t whole;
    std::int32_t fixed;
  };
  const Whole wholes[] = {
      {0, 0}, {1, 65536}, {-1, -65536}, {639, 41877504}, {-32768, std::numeric_limits<std::int32_t>::min()}};
  for (const Whole& w : wholes) {
    EXPECT_EQ(to_fixed(w.whole), w.fixed) << "32-bit to_fixed(" << w.whole << ")";
    EXPECT_EQ(to_fixed(std::int64_t{w.whole}), w.fixed) << "64-bit to_fixed(" << w.whole << ")";
  }
  // 64 bits hold wholes past the 32-bit range.
  EXPECT_EQ(to_fixed(std::int64_t{-40000}), std::int64_t{-2621440000});
  EXPECT_EQ(from_fixed(std::int64_t{-2621440001}), -40001);
}

}  // namespace
