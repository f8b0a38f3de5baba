// Frame rates: parsing into exact ratios.
#include "shell/platform/frame_rate.h"

#include <gtest/gtest.h>

namespace {

TEST(FrameRate, ParsesNumbersAndRatiosIntoLowestTermsAndRefusesTheRest) {
  struct Case {
    const char* text;
    std::int64_t numerator, denominator;
  };
  const Case cases[] = {
      {"60", 60, 1},          {"60000/1001", 60000, 1001}, {"30000/1001", 30000, 1001}, {"59.94", 2997, 50},
      {"25.0", 25, 1},        {"120/2", 60, 1},            {"0.5", 1, 2},               {".5", 1, 2},
      {"7.", 7, 1},           {"23.976", 2997, 125},       {"1000000000", 1000000000, 1},
      {"2000000/2", 1000000, 1},  // terms above the limits that reduce into them
  };
  for (const Case& c : cases) {
    const FrameRate rate = parse_frame_rate(c.text).value_or(FrameRate{0, 0});  // 0/0: refused
    EXPECT_EQ(rate.numerator, c.numerator) << c.text;
    EXPECT_EQ(rate.denominator, c.denominator) << c.text;
  }
  EXPECT_EQ(FrameRate{}.seconds_at(60), 1.0) << "the default rate is 60 frames a second";
  // Refused: what is not a positive rate within the limits.
  for (const char* text : {"", "0", "0/1", "60/0", "-60", "+60", "60fps", "1e2", "60/", "/60", "6/0.5", "60.1234567",
                           ".", "60 ", " 60", "7.0000000", "1/2000000", "2000000000", "99999999999999999999999"}) {
    EXPECT_FALSE(parse_frame_rate(text).has_value()) << "\"" << text << "\" was accepted";
  }
}

}  // namespace
