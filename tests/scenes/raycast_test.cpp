// The raycast scene: single rays, its start-up draws from rand(), the fade
// of its frames, and what it leaves in work_a.
#include "scenes/raycast.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

#include "data/spline_path.h"
#include "scene_rig.h"
#include "scenes/raycast_rays.h"

namespace {

TEST(RaycastRays, ARayWritesFromItsStartToShortOfItsTargetAndNothingWithAnEndOffTheScreen) {
  const std::array<int, 5> cases[] = {
      // from (x0, y0) to (x1, y1): pixels written, each 0xFF from the full mask
      {100, 100, 125, 100, 0}, {100, 100, 126, 100, 1},   {100, 100, 115, 120, 0},  // lengths 25, 26, 25
      {0, 200, 300, 200, 275}, {300, 300, 100, 300, 175}, {100, 50, 100, 400, 325}, {300, 300, 300, 100, 175},
      {40, 40, 40, 40, 0},     {-1, 100, 300, 100, 0},    {100, 480, 100, 0, 0},    {100, 100, 640, 100, 0},
  };
  std::vector<RayTableEntry> table(ray_table_entries);
  raycast_build_ray_table(table.data());
  ScreenBuffer mask;
  fill(mask, 0xFF);
  for (const auto& [x0, y0, x1, y1, lit] : cases) {
    ScreenBuffer work;
    raycast_cast_ray(table.data(), 0, 0, x0, y0, x1, y1, mask.pixels(), work.pixels());
    const int sx = (x1 > x0) - (x1 < x0), sy = (y1 > y0) - (y1 < y0);
    for (int k = 0; k < lit; ++k) EXPECT_EQ(work[at(x0 + k * sx, y0 + k * sy)], 0xFFu) << "pixel " << k;
    EXPECT_EQ(lit_pixels(work.pixels()), lit) << "(" << x0 << ", " << y0 << ") to (" << x1 << ", " << y1 << ")";
  }
}

TEST(RaycastRays, LightDecaysPerPixelEachMaskPixelRefillsItTheAddSaturatesAndARayStopsAt400) {
  // Mask pixels 0, 100 and 150 steps along a ray of 629 into red; the work
  // pixel 50 steps along already holds red 200.
  std::vector<RayTableEntry> table(ray_table_entries);
  raycast_build_ray_table(table.data());
  for (int decay : {0, 2, 3, 255}) {
    ScreenBuffer mask, work;
    for (int k : {0, 100, 150}) mask[at(10 + k, 5)] = 0xFF;
    work[at(60, 5)] = 0x00C81234;
    raycast_cast_ray(table.data(), decay, 16, 10, 5, 639, 5, mask.pixels(), work.pixels());
    for (int k = 0; k <= 400; ++k) {
      const int red = k == 400 ? 0 : std::max(0, 255 - (k - (k >= 150 ? 150 : k >= 100 ? 100 : 0)) * decay);
      const Pixel expected = k == 50 ? pixel_rgb(std::min(255, 200 + red), 0x12, 0x34) : pixel_rgb(red, 0, 0);
      ASSERT_EQ(pixel_text(work[at(10 + k, 5)]), pixel_text(expected)) << "decay " << decay << ", pixel " << k;
    }
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
  fill(*rig.shared.tv_mask_picture, 0x00100000);  // takes 16 off
  raycast_run(rig.context());
  ASSERT_EQ(rig.frames.size(), 3u);
  for (int n = 0; n < 3; ++n) EXPECT_EQ(rig.frames[n][at(320, 240)], pixel_rgb(n < 2 ? 184 : 56, 0, 0)) << n;
  EXPECT_EQ(pixel_text((*rig.shared.work_a)[at(320, 241)]), pixel_text(pixel_rgb(56, 0, 0))) << "work_a";
}

}  // namespace
