// The raycast scene's light: the mask threshold, the ray table, single rays
// on small synthetic masks and the 560 rays of one light.
#include "scenes/raycast_rays.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "scene_rig.h"
#include "shell/pixels/screen_buffer.h"

namespace {

int at(int x, int y) { return y * screen_width + x; }

// A filled ray table, built once for all the ray tests.
const RayTableEntry* ray_table() {
  static const std::unique_ptr<RayTableEntry[]> table = [] {
    std::unique_ptr<RayTableEntry[]> built(new RayTableEntry[ray_table_entries]());
    raycast_build_ray_table(built.get());
    return built;
  }();
  return table.get();
}

// The pixels of `work` that are not 0, as "(x, y)".
std::vector<std::pair<int, int>> lit_positions(const ScreenBuffer& work) {
  std::vector<std::pair<int, int>> lit;
  for (int i = 0; i < screen_pixels; ++i) {
    if (work[i] != 0) lit.emplace_back(i % screen_width, i / screen_width);
  }
  return lit;
}

TEST(LightMask, ComparesWholePixelValuesAgainst0x050505) {
  const struct {
    Pixel title;
    Pixel mask;
  } cases[] = {
      {0x050504, 0xFF}, {0x04FFFF, 0xFF}, {0x000000, 0xFF}, {0x050505, 0x00},
      {0x050600, 0x00}, {0xFFFFFF, 0x00}, {0x010000, 0xFF}, {0x06FFFF, 0x00},
  };
  ScreenBuffer picture;
  for (std::size_t k = 0; k < std::size(cases); ++k) picture[static_cast<int>(k)] = cases[k].title;
  for (int i = static_cast<int>(std::size(cases)); i < screen_pixels; ++i) picture[i] = 0x808080;
  raycast_make_light_mask(picture.pixels());
  for (std::size_t k = 0; k < std::size(cases); ++k) {
    EXPECT_EQ(picture[static_cast<int>(k)], cases[k].mask)
        << "title " << pixel_text(cases[k].title) << ": expected " << pixel_text(cases[k].mask) << ", got "
        << pixel_text(picture[static_cast<int>(k)]);
  }
  EXPECT_EQ(picture[screen_pixels - 1], 0u);
}

TEST(RayTable, HoldsTruncatedUnitStepsAndLengths) {
  const struct {
    int dx, dy;
    RayTableEntry expected;
  } cases[] = {
      {0, 0, {0, 0, 0}}, {1, 0, {65536, 0, 1}}, {0, 7, {0, 65536, 7}},
      {3, 4, {39321, 52428, 5}},        // 39321.6, 52428.8
      {1, 1, {46340, 46340, 1}},        // 65536 / sqrt 2 = 46340.95, length 1.414
      {639, 479, {52438, 39308, 798}},  // length 798.6
  };
  for (const auto& c : cases) {
    const RayTableEntry& got = ray_table()[c.dy * screen_width + c.dx];
    EXPECT_TRUE(got.step_x == c.expected.step_x && got.step_y == c.expected.step_y && got.length == c.expected.length)
        << "(" << c.dx << ", " << c.dy << "): expected " << c.expected.step_x << ", " << c.expected.step_y << ", "
        << c.expected.length << "; got " << got.step_x << ", " << got.step_y << ", " << got.length;
  }
}

TEST(CastRay, WritesFromTheLightsOwnPixelAndStopsShortOfItsTarget) {
  // One mask pixel at the ray's start: the light it picks up there is all it carries.
  const struct {
    const char* name;
    int x0, y0, x1, y1;
    int expected_pixels;  // each written once, straight along the ray
  } cases[] = {
      {"length 25 draws nothing", 100, 100, 125, 100, 0}, {"length 26 draws one pixel", 100, 100, 126, 100, 1},
      {"length 25 diagonal-ish draws nothing", 100, 100, 115, 120, 0},
      {"rightward", 10, 200, 300, 200, 265},  {"leftward", 300, 300, 100, 300, 175},
      {"downward", 100, 50, 100, 400, 325},   {"upward", 300, 300, 300, 100, 175},
      {"target equals start", 40, 40, 40, 40, 0},
  };
  for (const auto& c : cases) {
    ScreenBuffer mask, work;
    mask[at(c.x0, c.y0)] = 0xFF;
    raycast_cast_ray(ray_table(), 0, 0, c.x0, c.y0, c.x1, c.y1, mask.pixels(), work.pixels());
    ASSERT_EQ(static_cast<int>(lit_positions(work).size()), c.expected_pixels) << c.name;
    const int sx = (c.x1 > c.x0) - (c.x1 < c.x0), sy = (c.y1 > c.y0) - (c.y1 < c.y0);
    for (int k = 0; k < c.expected_pixels; ++k) {
      EXPECT_EQ(work[at(c.x0 + k * sx, c.y0 + k * sy)], 0xFFu) << c.name << ": pixel " << k;
    }
  }
}

TEST(CastRay, ARayOf700RunsOnly400Steps) {
  int dx = 0, dy = 0;
  for (int y = 0; y < screen_height && dx == 0; ++y) {
    for (int x = 0; x < screen_width; ++x) {
      if (static_cast<int>(std::sqrt(static_cast<double>(x * x + y * y))) == 700) {
        dx = x, dy = y;
        break;
      }
    }
  }
  ASSERT_GT(dx, 0);
  ScreenBuffer mask, work;
  mask[at(0, 0)] = 0xFF;
  raycast_cast_ray(ray_table(), 0, 0, 0, 0, dx, dy, mask.pixels(), work.pixels());
  // The last of the 400 unit steps lands 399 pixels along the ray, give or
  // take the pixel it falls in; without the limit it would run 675.
  double furthest = 0.0;
  for (const auto& [x, y] : lit_positions(work)) furthest = std::max(furthest, std::hypot(x, y));
  EXPECT_GT(furthest, 397.5) << "ray to (" << dx << ", " << dy << ")";
  EXPECT_LE(furthest, 399.0) << "ray to (" << dx << ", " << dy << ")";
}

TEST(CastRay, DiagonalRaysInEachQuadrantStayOnTheirSegment) {
  const int x0 = 320, y0 = 240;
  const std::pair<int, int> targets[] = {{100, 100}, {500, 120}, {80, 420}, {600, 470}};
  for (const auto& [x1, y1] : targets) {
    ScreenBuffer mask, work;
    mask[at(x0, y0)] = 0xFF;
    raycast_cast_ray(ray_table(), 0, 0, x0, y0, x1, y1, mask.pixels(), work.pixels());
    const double length = std::hypot(x1 - x0, y1 - y0);
    const auto lit = lit_positions(work);
    ASSERT_FALSE(lit.empty()) << "towards (" << x1 << ", " << y1 << ")";
    for (const auto& [x, y] : lit) {
      // Within a pixel of the segment, and short of the target.
      const double along = ((x - x0) * (x1 - x0) + (y - y0) * (y1 - y0)) / length;
      const double across = std::abs((x - x0) * (y1 - y0) - (y - y0) * (x1 - x0)) / length;
      EXPECT_TRUE(along >= -0.01 && along <= length - 24.0 && across < 1.5)
          << "towards (" << x1 << ", " << y1 << "): lit (" << x << ", " << y << ")";
    }
  }
}

TEST(CastRay, DecayLowersTheStreakPerPixelAndEveryMaskPixelCrossedIsPickedUp) {
  // Mask pixels 0, 100 and 150 steps along a horizontal ray: each fills the
  // light to 255 again, which then falls by `decay` a pixel, down to 0.
  for (int decay : {0, 2, 3, 255}) {
    ScreenBuffer mask, work;
    for (int k : {0, 100, 150}) mask[at(10 + k, 5)] = 0xFF;
    raycast_cast_ray(ray_table(), decay, 16, 10, 5, 639, 5, mask.pixels(), work.pixels());
    for (int k = 0; k <= 400; ++k) {
      const int since_pick_up = k - (k >= 150 ? 150 : k >= 100 ? 100 : 0);
      const Pixel expected = k == 400 ? 0 : static_cast<Pixel>(std::max(0, 255 - since_pick_up * decay)) << 16;
      const Pixel got = work[at(10 + k, 5)];
      ASSERT_EQ(got, expected) << "decay " << decay << ", pixel " << k << ": expected " << pixel_text(expected)
                               << ", got " << pixel_text(got);
    }
  }
}

TEST(CastRay, ChannelsAddWithoutInterferingAndSaturate) {
  const int x0 = 200, y0 = 100, x1 = 200, y1 = 400;
  ScreenBuffer mask, work;
  mask[at(x0, y0)] = 0x64;  // 100
  work[at(x0, y0 + 10)] = 0x00C81234;
  for (int shift : {16, 8, 0}) raycast_cast_ray(ray_table(), 0, shift, x0, y0, x1, y1, mask.pixels(), work.pixels());
  EXPECT_EQ(work[at(x0, y0 + 5)], 0x00646464u) << pixel_text(work[at(x0, y0 + 5)]);
  // Red 200 + 100 saturates, green 0x12 + 100 = 0x76, blue 0x34 + 100 = 0x98.
  EXPECT_EQ(work[at(x0, y0 + 10)], 0x00FF7698u) << pixel_text(work[at(x0, y0 + 10)]);
  for (int repeat = 0; repeat < 3; ++repeat) {
    raycast_cast_ray(ray_table(), 0, 16, x0, y0, x1, y1, mask.pixels(), work.pixels());
  }
  EXPECT_EQ(work[at(x0, y0 + 5)], 0x00FF6464u) << "red stays at 255: " << pixel_text(work[at(x0, y0 + 5)]);
}

TEST(CastRay, AStartOrTargetOffTheScreenDrawsNothing) {
  ScreenBuffer mask;
  fill(mask, 0xFF);
  const std::array<int, 4> rays[] = {
      {-1, 100, 300, 100}, {100, 480, 100, 0}, {100, 100, 640, 100}, {100, 100, 100, -5}};
  for (const auto& [x0, y0, x1, y1] : rays) {
    ScreenBuffer work;
    raycast_cast_ray(ray_table(), 0, 0, x0, y0, x1, y1, mask.pixels(), work.pixels());
    EXPECT_TRUE(lit_positions(work).empty()) << "(" << x0 << ", " << y0 << ") to (" << x1 << ", " << y1 << ")";
  }
}

TEST(CastLight, CastsToEveryFourthPixelOfTheFourBorders) {
  const int lx = 300, ly = 220;
  ScreenBuffer mask, expected, work;
  mask[at(lx, ly)] = 0xFF;
  int rays = 0;
  const auto ray = [&](int x, int y) {
    raycast_cast_ray(ray_table(), 1, 0, lx, ly, x, y, mask.pixels(), expected.pixels());
    ++rays;
  };
  for (int x = 1; x <= 637; x += 4) ray(x, 0);
  for (int x = 1; x <= 637; x += 4) ray(x, 479);
  for (int y = 1; y <= 477; y += 4) ray(1, y);
  for (int y = 1; y <= 477; y += 4) ray(639, y);
  ASSERT_EQ(rays, raycast_rays_per_light);
  raycast_cast_light(ray_table(), 1, 0, lx, ly, mask.pixels(), work.pixels());
  int differences = 0;
  for (int i = 0; i < screen_pixels; ++i) differences += work[i] != expected[i];
  EXPECT_EQ(differences, 0);
  EXPECT_GT(lit_positions(work).size(), 20000u) << "the rays light a wide fan";
}

}  // namespace
