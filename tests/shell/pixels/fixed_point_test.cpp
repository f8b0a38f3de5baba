// The 16.16 conversions: wholes in by a multiply and out by the floor, in 32
// and 64 bits; doubles in truncated and saturated; wrapping arithmetic wraps.
#include "shell/pixels/fixed_point.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace {

constexpr std::int32_t lowest = INT32_MIN, highest = INT32_MAX;

TEST(FixedPoint, ConversionsTakeTheFloorTruncateOrSaturateAsEachSays) {
  const std::pair<std::int32_t, std::int32_t> floors[] = {
      {0, 0}, {1, 0}, {65535, 0}, {65536, 1}, {7 * 65536 + 65535, 7}, {-1, -1}, {-65535, -1}, {-65536, -1},
      {-65537, -2}, {lowest, -32768}, {highest, 32767}};
  for (const auto& [fixed, floor] : floors) {
    EXPECT_TRUE(from_fixed(fixed) == floor && from_fixed(std::int64_t{fixed}) == floor) << "from_fixed(" << fixed << ")";
  }
  for (const auto& [whole, fixed] : {std::pair{0, 0}, {1, 65536}, {-1, -65536}, {639, 41877504}, {-32768, lowest}}) {
    EXPECT_TRUE(to_fixed(whole) == fixed && to_fixed(std::int64_t{whole}) == fixed) << "to_fixed(" << whole << ")";
  }
  EXPECT_EQ(to_fixed(std::int64_t{-40000}), std::int64_t{-2621440000}) << "64 bits hold wholes past the 32-bit range";
  EXPECT_EQ(from_fixed(std::int64_t{-2621440001}), -40001);
  const std::pair<double, std::int32_t> doubles[] = {{1.5, 98304},        {-0.5, -32768}, {-1.0 / 131072, 0},
                                                     {-2.75, -180224},    {40000.0, highest}, {-40000.0, lowest},
                                                     {std::nan(""), 0}};
  for (const auto& [value, fixed] : doubles) EXPECT_EQ(fixed_from_double(value), fixed) << "fixed_from_double(" << value << ")";
  EXPECT_TRUE(wrapping_mul(65536, 65536) == 0 && wrapping_mul(-3, 5) == -15);
  EXPECT_TRUE(wrapping_add(highest, 1) == lowest && wrapping_add(-7, 3) == -4);
}

}  // namespace
