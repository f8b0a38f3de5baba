// draw_line_add pixel by pixel: start pixels, the two-pixel width, the
// clipping order, saturation, and memory safety on any doubles.
#include "render/line_draw.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "shell/pixels/screen_buffer.h"

namespace {

using PixelMap = std::map<std::pair<int, int>, Pixel>;  // (x, y) -> expected value; all others 0

std::string hex(Pixel p) {
  std::ostringstream out;
  out << "0x" << std::hex << p;
  return out.str();
}

// Compares the whole picture with `expected` and names the first few mismatches.
void expect_picture(const ScreenBuffer& buffer, const PixelMap& expected, const std::string& what) {
  int mismatches = 0;
  for (int y = 0; y < screen_height; ++y) {
    for (int x = 0; x < screen_width; ++x) {
      const auto found = expected.find({x, y});
      const Pixel want = found == expected.end() ? 0 : found->second;
      const Pixel got = buffer[y * screen_width + x];
      if (got != want && mismatches++ < 5) {
        ADD_FAILURE() << what << ": pixel (" << x << ", " << y << ") expected " << hex(want) << ", got " << hex(got);
      }
    }
  }
}

Pixel saturated_sum(Pixel a, Pixel b) {
  Pixel sum = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const unsigned byte = std::min(255u, ((a >> shift) & 0xFF) + ((b >> shift) & 0xFF));
    sum |= static_cast<Pixel>(byte) << shift;
  }
  return sum;
}

constexpr Pixel c = 0x102030;

// Pixels x and x + 1 of rows y0..y1 at `c`: a vertical line.
PixelMap column_pair(int x, int y0, int y1) {
  PixelMap pixels;
  for (int y = y0; y <= y1; ++y) pixels[{x, y}] = pixels[{x + 1, y}] = c;
  return pixels;
}

TEST(DrawLineAdd, LinesPixelByPixel) {
  struct Case {
    const char* what;
    double x1, y1, x2, y2;
    PixelMap expected;
  };
  const Case cases[] = {
      {"horizontal", 10, 10, 13, 10, {{{10, 10}, c}, {{11, 10}, c}, {{12, 10}, 2 * c}, {{13, 10}, 2 * c}, {{14, 10}, c}}},
      {"horizontal, drawn backwards", 13, 10, 10, 10,
       {{{10, 10}, c}, {{11, 10}, c}, {{12, 10}, 2 * c}, {{13, 10}, 2 * c}, {{14, 10}, c}}},
      {"vertical: the start pixel is left alone", 10, 10, 10, 13, column_pair(10, 11, 13)},
      {"towards (20, -infinity): straight up, pulled onto (10, 0)", 10, 10, 20, -std::numeric_limits<double>::infinity(),
       column_pair(10, 1, 10)},
      {"diagonal, truncated end points", 5.9, 5.2, 7.1, 7.8, {{{5, 5}, c}, {{6, 6}, c}, {{7, 6}, c}, {{7, 7}, c}, {{8, 7}, c}}},
      {"dot", 3, 4, 3.5, 4.9, {{{3, 4}, c}}},
      {"beyond the left edge: clipped to a dot", -100, 50, -10, 60, {{{0, 61}, c}}},
      {"the right-hand neighbour of column 639 is in the next row", 637, 5, 639, 5,
       {{{637, 5}, c}, {{638, 5}, c}, {{639, 5}, 2 * c}, {{0, 6}, c}}},
      {"the last pixel has no right-hand neighbour", 639, 477, 639, 479,
       {{{639, 478}, c}, {{0, 479}, c}, {{639, 479}, c}}},
      {"far below: dropped after clipping", 10, 900, 20, 1000, {}},
      {"NaN end point", 10, 10, std::nan(""), 20, {}},
      {"infinite and NaN end point", std::numeric_limits<double>::infinity(), std::nan(""), 20, 10, {}},
  };
  for (const Case& k : cases) {
    ScreenBuffer buffer;
    draw_line_add(k.x1, k.y1, k.x2, k.y2, c, buffer.pixels());
    expect_picture(buffer, k.expected, k.what);
    for (int i = 0; i < screen_padding_pixels; ++i) ASSERT_EQ(buffer[screen_pixels + i], 0u) << k.what << ": padding";
  }
}

TEST(DrawLineAdd, StartPixelKeepsTheLargerValue) {
  const struct {
    Pixel before;
    Pixel after;
  } cases[] = {{0x000000, c}, {0x0F3040, c}, {0x102031, 0x102031}, {0xFF000000, 0xFF000000}};
  for (const auto& k : cases) {
    ScreenBuffer buffer;
    buffer[10 * 640 + 10] = k.before;
    draw_line_add(10, 10, 13, 10, c, buffer.pixels());
    EXPECT_EQ(buffer[10 * 640 + 10], k.after) << "before " << hex(k.before);
  }
}

TEST(DrawLineAdd, AddsPerByteWithSaturation) {
  std::mt19937 random(9);
  ScreenBuffer buffer;
  for (int i = 0; i < 5000; ++i) {
    buffer[20 * 640 + 30] = buffer[20 * 640 + 32] = 0;
    const Pixel before = random();
    const Pixel colour = random();
    buffer[20 * 640 + 31] = before;
    draw_line_add(30, 20, 31, 20, colour, buffer.pixels());
    ASSERT_EQ(buffer[20 * 640 + 31], saturated_sum(before, colour)) << hex(before) << " (+) " << hex(colour);
    ASSERT_EQ(buffer[20 * 640 + 32], colour);
  }
}

// On-screen lines reach their far end and touch at most two pixels per step.
TEST(DrawLineAdd, OnScreenLinesReachTheirFarEnd) {
  std::mt19937 random(13);
  ScreenBuffer buffer;
  for (int i = 0; i < 500; ++i) {
    const int x1 = random() % 640, y1 = random() % 480, x2 = random() % 640, y2 = random() % 480;
    buffer.clear();
    draw_line_add(x1, y1, x2, y2, 1, buffer.pixels());
    const bool x_major = std::abs(x2 - x1) >= std::abs(y2 - y1);
    const bool first_is_far = x_major ? x1 > x2 : y1 > y2;
    const int far_x = first_is_far ? x1 : x2, far_y = first_is_far ? y1 : y2;
    EXPECT_NE(buffer[far_y * 640 + far_x], 0u) << "line (" << x1 << ", " << y1 << ") to (" << x2 << ", " << y2 << ")";
    int touched = 0;
    for (int p = 0; p < screen_pixels; ++p) touched += buffer[p] != 0;
    EXPECT_LE(touched, 2 * std::max(std::abs(x2 - x1), std::abs(y2 - y1)) + 1);
  }
}

// Any doubles at all: nothing is written outside the 640 x 480 pixels. The
// pixels sit between two guard zones that must come out untouched, and the
// address sanitizer watches the ends of the block.
TEST(DrawLineAdd, AnyEndPointsStayInsideTheBuffer) {
  constexpr int guard = 1024;
  constexpr Pixel guard_value = 0xA5A5A5A5;
  std::vector<Pixel> block(guard + screen_pixels + guard, guard_value);
  Pixel* pixels = block.data() + guard;
  std::mt19937 random(17);
  std::uniform_real_distribution<double> near(-2000.0, 2000.0);
  const double specials[] = {std::nan(""), std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(), 1e300, -1e300, 2147483648.0, -2147483649.0,
                             -1.0, -0.5, 639.5, 640.0, 479.9, 480.0, 0.0};
  const auto any = [&] { return random() % 4 == 0 ? specials[random() % 14] : near(random); };
  for (int i = 0; i < 200000; ++i) draw_line_add(any(), any(), any(), any(), 0x010101, pixels);
  for (int i = 0; i < guard; ++i) {
    ASSERT_EQ(block[i], guard_value) << "before the buffer, " << guard - i << " pixels";
    ASSERT_EQ(block[guard + screen_pixels + i], guard_value) << "after the buffer, " << i << " pixels";
  }
  int drawn = 0;
  for (int i = 0; i < screen_pixels; ++i) drawn += pixels[i] != guard_value;
  EXPECT_GT(drawn, 0) << "some of the lines reach the screen";
}

}  // namespace
