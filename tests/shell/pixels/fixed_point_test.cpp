// The 16.16 conversions: whole numbers go in by a multiply and come out by
// the floor, for every sign and in 32 and 64 bits; doubles go in truncated
// towards zero and saturated; the wrapping arithmetic wraps.
#include "shell/pixels/fixed_point.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

constexpr std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t highest = std::numeric_limits<std::int32_t>::max();

TEST(FixedPoint, WholeNumbersGoInExactlyAndComeOutByTheFloorForEverySign) {
  const struct {
    std::int32_t fixed, floor;
  } floors[] = {{0, 0},           {1, 0},        {65535, 0}, {65536, 1},      {7 * 65536 + 65535, 7}, {-1, -1},
                {-65535, -1},     {-65536, -1},  {-65537, -2}, {lowest, -32768}, {highest, 32767}};
  for (const auto& c : floors) {
    EXPECT_EQ(from_fixed(c.fixed), c.floor) << "32-bit from_fixed(" << c.fixed << ")";
    EXPECT_EQ(from_fixed(std::int64_t{c.fixed}), c.floor) << "64-bit from_fixed(" << c.fixed << ")";
  }
  const struct {
    std::int32_t whole, fixed;
  } wholes[] = {{0, 0}, {1, 65536}, {-1, -65536}, {639, 41877504}, {-32768, lowest}};
  for (const auto& w : wholes) {
    EXPECT_EQ(to_fixed(w.whole), w.fixed) << "32-bit to_fixed(" << w.whole << ")";
    EXPECT_EQ(to_fixed(std::int64_t{w.whole}), w.fixed) << "64-bit to_fixed(" << w.whole << ")";
  }
  // 64 bits hold wholes past the 32-bit range.
  EXPECT_EQ(to_fixed(std::int64_t{-40000}), std::int64_t{-2621440000});
  EXPECT_EQ(from_fixed(std::int64_t{-2621440001}), -40001);
}

TEST(FixedPoint, DoublesTruncateTowardsZeroAndSaturateAndProductsWrap) {
  const struct {
    double value;
    std::int32_t fixed;
  } doubles[] = {{1.5, 98304},  {-0.5, -32768}, {-1.0 / 65536 / 2, 0}, {40000.0, highest},
                 {-40000.0, lowest}, {std::nan(""), 0}, {-2.75, -180224}};
  for (const auto& c : doubles) EXPECT_EQ(fixed_from_double(c.value), c.fixed) << "fixed_from_double(" << c.value << ")";
  EXPECT_EQ(wrapping_mul(65536, 65536), 0);
  EXPECT_EQ(wrapping_mul(-3, 5), -15);
  EXPECT_EQ(wrapping_add(highest, 1), lowest);
  EXPECT_EQ(wrapping_add(-7, 3), -4);
}

}  // namespace
