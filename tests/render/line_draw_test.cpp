// draw_line_add pixel by pixel: start pixels, the two-pixel width, the
// clipping order, saturation, and lines that reach their far end.
#include "render/line_draw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <tuple>
#include <vector>

#include "shell/pixels/screen_buffer.h"
#include "support/picture_check.h"

namespace {

using Drawn = std::tuple<int, int, Pixel>;           // x, y, value
constexpr Pixel c = 0x9010F030, twice = 0xFF20FF60;  // bytes added with saturation

std::vector<Drawn> column_pair(int x, int y0, int y1) {
  std::vector<Drawn> pixels;
  for (int y = y0; y <= y1; ++y) pixels.insert(pixels.end(), {{x, y, c}, {x + 1, y, c}});
  return pixels;
}

// The start pixel of an x-major line becomes the larger of its value and
// the colour; the others get the colour added.
TEST(DrawLineAdd, LinesPixelByPixelAndOnScreenLinesReachTheirFarEnd) {
  const std::vector<Drawn> horizontal = {{10, 10, c}, {11, 10, c}, {12, 10, twice}, {13, 10, twice}, {14, 10, c}};
  const struct {
    const char* what;
    double x1, y1, x2, y2;
    std::vector<Drawn> expected;  // every other pixel stays 0
  } cases[] = {
      {"horizontal", 10, 10, 13, 10, horizontal},
      {"horizontal, drawn backwards", 13, 10, 10, 10, horizontal},
      {"vertical: the start pixel is left alone", 10, 10, 10, 13, column_pair(10, 11, 13)},
      {"vertical, drawn backwards", 10, 13, 10, 10, column_pair(10, 11, 13)},
      {"towards (20, -infinity): straight up, pulled onto (10, 0)", 10, 10, 20, -INFINITY, column_pair(10, 1, 10)},
      {"diagonal, truncated end points", 5.9, 5.2, 7.1, 7.8, {{5, 5, c}, {6, 6, c}, {7, 6, c}, {7, 7, c}, {8, 7, c}}},
      {"dot", 3, 4, 3.5, 4.9, {{3, 4, c}}},
      {"beyond the left edge: clipped to a dot", -100, 50, -10, 60, {{0, 61, c}}},
      {"the right-hand neighbour of column 639 is in the next row", 637, 5, 639, 5,
       {{637, 5, c}, {638, 5, c}, {639, 5, twice}, {0, 6, c}}},
      {"the last pixel has no right-hand neighbour", 639, 477, 639, 479, {{639, 478, c}, {0, 479, c}, {639, 479, c}}},
      {"far below: dropped after clipping", 10, 900, 20, 1000, {}},
      {"NaN end point", 10, 10, NAN, 20, {}},
      {"infinite and NaN end point", INFINITY, NAN, 20, 10, {}},
  };
  for (const auto& k : cases) {
    ScreenBuffer expected, got;
    for (const auto& [x, y, value] : k.expected) expected[y * screen_width + x] = value;
    draw_line_add(k.x1, k.y1, k.x2, k.y2, c, got.pixels());
    EXPECT_TRUE(same_picture("draw_line_add", expected.pixels(), got.pixels())) << k.what;
    EXPECT_EQ(got[screen_pixels], 0u) << k.what << ": written past the end";
  }
  ScreenBuffer buffer;
  buffer[10 * 640 + 10] = c + 1;
  draw_line_add(10, 10, 13, 10, c, buffer.pixels());
  EXPECT_EQ(buffer[10 * 640 + 10], c + 1) << "the start pixel keeps its larger value";
  // On-screen lines reach their far end and touch at most two pixels per step.
  std::mt19937 random(13);
  for (int i = 0; i < 500; ++i) {
    const int x1 = random() % 640, y1 = random() % 480, x2 = random() % 640, y2 = random() % 480;
    buffer.clear();
    draw_line_add(x1, y1, x2, y2, 1, buffer.pixels());
    const bool first_is_far = std::abs(x2 - x1) >= std::abs(y2 - y1) ? x1 > x2 : y1 > y2;
    const int far_x = first_is_far ? x1 : x2, far_y = first_is_far ? y1 : y2;
    EXPECT_NE(buffer[far_y * 640 + far_x], 0u) << "line (" << x1 << ", " << y1 << ") to (" << x2 << ", " << y2 << ")";
    EXPECT_LE(std::count_if(buffer.pixels(), buffer.pixels() + screen_pixels, [](Pixel p) { return p != 0; }),
              2 * std::max(std::abs(x2 - x1), std::abs(y2 - y1)) + 1);
  }
}

}  // namespace
