// The raycast scene: the light mask, the ray table, single rays and the 560
// rays of a light, its start-up draws from rand(), the fade-out, and the
// picture it leaves in work_a.
#include "scenes/raycast.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "data/spline_path.h"
#include "scene_rig.h"
#include "scenes/raycast_rays.h"
#include "support/picture_check.h"

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

TEST(RaycastRays, TheMaskComparesWholePixelsWith0x050505AndTheTableHoldsTruncatedUnitStepsAndLengths) {
  const Pixel titles[] = {0x050504, 0x04FFFF, 0x000000, 0x010000, 0x050505, 0x050600, 0xFFFFFF, 0x06FFFF};
  ScreenBuffer picture;
  std::copy(std::begin(titles), std::end(titles), picture.pixels());
  raycast_make_light_mask(picture.pixels());
  for (int k = 0; k < 8; ++k) EXPECT_EQ(picture[k], k < 4 ? 0xFFu : 0u) << "title " << pixel_text(titles[k]);
  const struct {
    int dx, dy;
    RayTableEntry expected;
  } rays[] = {
      {0, 0, {0, 0, 0}},
      {1, 0, {65536, 0, 1}},
      {0, 7, {0, 65536, 7}},
      {3, 4, {39321, 52428, 5}},  // 39321.6, 52428.8
      {1, 1, {46340, 46340, 1}},  // 65536 / sqrt 2 = 46340.95, length 1.414
      {639, 479, {52438, 39308, 798}},
  };
  for (const auto& c : rays) {
    const RayTableEntry& got = ray_table()[c.dy * screen_width + c.dx];
    EXPECT_TRUE(got.step_x == c.expected.step_x && got.step_y == c.expected.step_y && got.length == c.expected.length)
        << "(" << c.dx << ", " << c.dy << "): got " << got.step_x << ", " << got.step_y << ", " << got.length;
  }
}

TEST(RaycastRays, ARayWritesFromItsStartToShortOfItsTargetAndNothingWithAnEndOffTheScreen) {
  const struct {
    int x0, y0, x1, y1;
    int lit;  // pixels written, each 0xFF from the full mask
  } cases[] = {
      {100, 100, 125, 100, 0},   {100, 100, 126, 100, 1},   {100, 100, 115, 120, 0},  // lengths 25, 26, 25
      {10, 200, 300, 200, 265},  {300, 300, 100, 300, 175}, {100, 50, 100, 400, 325},
      {300, 300, 300, 100, 175}, {40, 40, 40, 40, 0},       {-1, 100, 300, 100, 0},
      {100, 480, 100, 0, 0},     {100, 100, 640, 100, 0},   {100, 100, 100, -5, 0},
  };
  ScreenBuffer mask;
  fill(mask, 0xFF);
  for (const auto& c : cases) {
    ScreenBuffer work;
    raycast_cast_ray(ray_table(), 0, 0, c.x0, c.y0, c.x1, c.y1, mask.pixels(), work.pixels());
    const int sx = (c.x1 > c.x0) - (c.x1 < c.x0), sy = (c.y1 > c.y0) - (c.y1 < c.y0);
    for (int k = 0; k < c.lit; ++k) EXPECT_EQ(work[at(c.x0 + k * sx, c.y0 + k * sy)], 0xFFu) << "pixel " << k;
    EXPECT_EQ(lit_pixels(work.pixels()), c.lit)
        << "(" << c.x0 << ", " << c.y0 << ") to (" << c.x1 << ", " << c.y1 << ")";
  }
}

TEST(RaycastRays, LightDecaysPerPixelEachMaskPixelRefillsItTheAddSaturatesAndARayRunsAt400) {
  // Mask pixels 0, 100 and 150 steps along a ray of 629 into red; the work
  // pixel 50 steps along already holds red 200.
  for (int decay : {0, 2, 3, 255}) {
    ScreenBuffer mask, work;
    for (int k : {0, 100, 150}) mask[at(10 + k, 5)] = 0xFF;
    work[at(60, 5)] = 0x00C81234;
    raycast_cast_ray(ray_table(), decay, 16, 10, 5, 639, 5, mask.pixels(), work.pixels());
    for (int k = 0; k <= 400; ++k) {
      const int red = k == 400 ? 0 : std::max(0, 255 - (k - (k >= 150 ? 150 : k >= 100 ? 100 : 0)) * decay);
      const Pixel expected = k == 50 ? pixel_rgb(std::min(255, 200 + red), 0x12, 0x34) : pixel_rgb(red, 0, 0);
      ASSERT_EQ(pixel_text(work[at(10 + k, 5)]), pixel_text(expected)) << "decay " << decay << ", pixel " << k;
    }
  }
}

TEST(RaycastRays, ALightCastsToEveryFourthPixelOfTheFourBorders) {
  ScreenBuffer mask, expected, work;
  mask[at(300, 220)] = 0xFF;
  for (int k = 1; k < 640; k += 4) {
    for (auto [x, y] : {std::pair{k, 0}, {k, 479}, {1, k}, {639, k}}) {
      if (y < 480) raycast_cast_ray(ray_table(), 1, 0, 300, 220, x, y, mask.pixels(), expected.pixels());
    }
  }
  raycast_cast_light(ray_table(), 1, 0, 300, 220, mask.pixels(), work.pixels());
  EXPECT_TRUE(same_picture("raycast_cast_light", expected.pixels(), work.pixels()));
}

TEST(RaycastScene, DecayGrowsThenGreyAndDecayFollowSceneTimePast10) {
  const struct {
    double time, seconds, duration;
    RaycastFade before, expected;
  } cases[] = {
      {5.0, 0.5, 200, {1.5, 0}, {1.8125, 0}},   // D + 0.625 dt
      {10.0, 0.1, 200, {1.9, 0}, {1.9625, 0}},  // 10 is not past 10
      {10.5, 0.1, 200, {1.9, 0}, {0.05, 0}},    // D restarts: 20 x 0.5 / 200; grey 0.625 truncated
      {30.0, 0.1, 200, {0.0, 0}, {2.0, 25}},    {209.9, 0.1, 200, {0.0, 0}, {19.99, 249}},
      {250.0, 0.1, 200, {0.0, 0}, {20.0, 250}},  // both capped
      {20.0, 0.1, 100, {0.0, 0}, {2.0, 25}},
  };
  for (const auto& c : cases) {
    RaycastFade fade = c.before;
    raycast_fade_step(fade, c.time, c.seconds, c.duration);
    EXPECT_NEAR(fade.decay, c.expected.decay, 1e-9) << "T " << c.time << ", duration " << c.duration;
    EXPECT_EQ(fade.grey, c.expected.grey) << "T " << c.time << ", duration " << c.duration;
  }
}

TEST(RaycastScene, StartUpDrawsFourRandsPerLightKeyFramesFadeByTheirGreyAndWorkAKeepsTheLastPicture) {
  SplinePath light;
  path_load(light, "data/lightR.bsp");
  std::srand(1);
  for (int k = 0; k < 4 * light.count; ++k) std::rand();
  const int expected_next = std::rand();
  SceneRig rig(thirty_unit_rate);
  std::srand(1);
  raycast_init(rig.shared);
  EXPECT_EQ(std::rand(), expected_next) << "rand() after raycast_init is not draw " << 4 * light.count + 1;
  // No light (an empty mask) on a uniform red 200: frames at 0, 0 and 30 of
  // 40, the last darkened by grey 125 before the blur (8 x (75 >> 3) = 72).
  raycast_set_parameters({40.0, 0.0});
  rig.shared.work_c->clear();
  fill(*rig.shared.work_a, 0x00C80000);
  fill(*rig.shared.tv_mask_picture, 0x00100000);
  raycast_run(rig.context());
  ASSERT_EQ(rig.frames.size(), 3u);
  for (int n = 0; n < 3; ++n) {  // the tv mask takes its 16 off
    EXPECT_EQ(pixel_text(rig.frames[n][at(320, 240)]), pixel_text(pixel_rgb(n < 2 ? 200 - 16 : 72 - 16, 0, 0)));
  }
  EXPECT_EQ(pixel_text((*rig.shared.work_a)[at(320, 241)]), pixel_text(pixel_rgb(72 - 16, 0, 0))) << "work_a";
}

}  // namespace
