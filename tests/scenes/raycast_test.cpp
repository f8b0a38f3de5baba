// The raycast scene on the headless console: its start-up draws from rand(),
// the fade-out against scene time, the key rule and the hand-over in work_a,
// and the scan-line structure of every frame it shows.
#include "scenes/raycast.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "data/spline_path.h"
#include "scene_rig.h"

namespace {

// A picture that is not uniform, so that a copy or subtraction shows.
void fill_pattern(ScreenBuffer& buffer) {
  for (int i = 0; i < screen_pixels; ++i) buffer[i] = static_cast<Pixel>(i * 2654435761u) & 0x00FFFFFFu;
}

TEST(RaycastInit, DrawsFourRandNumbersPerLightKey) {
  SplinePath light;
  path_load(light, "data/lightR.bsp");
  ASSERT_GT(light.count, 0) << "data/lightR.bsp";
  std::srand(1);
  for (int k = 0; k < 4 * light.count; ++k) std::rand();
  const int expected_next = std::rand();

  SceneRig rig;
  std::srand(1);
  raycast_init(rig.shared);
  EXPECT_EQ(std::rand(), expected_next) << "rand() after raycast_init is not draw " << 4 * light.count + 1;
}

TEST(RaycastFade, DecayGrowsThenGreyAndDecayFollowSceneTime) {
  const struct {
    double time, seconds, duration;
    RaycastFade before;
    RaycastFade expected;
  } cases[] = {
      {0.0, 0.0, 200, {1.0, 0}, {1.0, 0}},
      {5.0, 0.5, 200, {1.5, 0}, {1.8125, 0}},  // D + 0.625 dt
      {10.0, 0.1, 200, {1.9, 0}, {1.9625, 0}},  // 10 is not past 10
      {10.5, 0.1, 200, {1.9, 0}, {0.05, 0}},   // D restarts: 20 * 0.5 / 200; grey 0.625 truncated
      {30.0, 0.1, 200, {0.0, 0}, {2.0, 25}},   // x = 0.1
      {110.0, 0.1, 200, {0.0, 0}, {10.0, 125}},
      {209.9, 0.1, 200, {0.0, 0}, {19.99, 249}},
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

struct KeyRuleCase {
  const char* name;
  double duration;
  std::vector<std::int64_t> key_frames;
};

TEST(RaycastRun, WithNoFrameToShowStillConsumesTheKeyAndSubtractsTheTvMask) {
  const KeyRuleCase cases[] = {
      {"duration 0, a key waiting", 0.0, {0}},
      {"duration 0, no key", 0.0, {}},
      {"duration -5, a key waiting", -5.0, {0}},
      {"a key waiting before the first frame", 100.0, {0}},
  };
  for (const KeyRuleCase& c : cases) {
    SceneRig rig(fine_rate, c.key_frames);
    raycast_init(rig.shared);
    raycast_set_parameters(RaycastParameters{c.duration, 0.0});
    fill_pattern(*rig.shared.work_a);
    fill(*rig.shared.tv_mask_picture, 0x00203040);
    ScreenBuffer expected;
    for (int i = 0; i < screen_pixels; ++i) {
      const Pixel p = (*rig.shared.work_a)[i];
      expected[i] = pixel_rgb(std::max(0, static_cast<int>(pixel_red(p)) - 0x20),
                              std::max(0, static_cast<int>(pixel_green(p)) - 0x30),
                              std::max(0, static_cast<int>(pixel_blue(p)) - 0x40));
    }
    raycast_run(rig.context());
    EXPECT_EQ(rig.frames_shown(), 0) << c.name;
    EXPECT_FALSE(rig.console.key()) << c.name << ": the key press is left waiting";
    int wrong = 0;
    for (int i = 0; i < screen_pixels; ++i) wrong += (*rig.shared.work_a)[i] != expected[i];
    EXPECT_EQ(wrong, 0) << c.name << ": work_a is not the old picture minus the tv mask";
  }
}

TEST(RaycastRun, TheFadeOutDarkensByGreyAfterSceneTime10) {
  // An empty mask (work_c holds the mask itself), so no light: a uniform
  // picture only fades and blurs. The blur keeps a uniform level v as
  // 8 * (v >> 3).
  SceneRig rig(fine_rate);
  raycast_init(rig.shared);
  const double duration = 11.0;
  raycast_set_parameters(RaycastParameters{duration, 0.0});
  fill(*rig.shared.work_c, 0);
  fill(*rig.shared.work_a, 0x00C8C8C8);  // 200
  fill(*rig.shared.tv_mask_picture, 0);
  raycast_run(rig.context());

  const std::vector<double> times = loop_frame_times(fine_rate, duration);
  ASSERT_EQ(rig.frames_shown(), static_cast<std::int64_t>(times.size()));
  RaycastFade fade;
  int level = 200;
  int darkened_frames = 0;
  for (std::size_t n = 0; n < times.size(); ++n) {
    raycast_fade_step(fade, times[n], n == 0 ? 0.0 : 1.0 / 64, duration);
    level = 8 * (std::max(0, level - fade.grey) >> 3);
    darkened_frames += fade.grey > 0;
    // Row 240 is the first of a group of four: red only.
    const Pixel got = rig.frames[n][240 * screen_width + 320];
    ASSERT_EQ(got, pixel_rgb(level, 0, 0)) << "frame " << n << " at T " << times[n] << ", grey " << fade.grey
                                           << ": expected red " << level << ", got " << pixel_text(got);
  }
  EXPECT_GT(darkened_frames, 5);
  EXPECT_LT(level, 150) << "the picture hardly faded";
}

TEST(RaycastRun, EveryFrameIsScanLinesOfRedGreenBlueAndBlackAndWorkAKeepsTheLastPicture) {
  SceneRig rig(fine_rate);
  raycast_init(rig.shared);  // the title's mask from data/title.jpg
  raycast_set_parameters(RaycastParameters{15.0, 0.0});
  fill(*rig.shared.tv_mask_picture, 0);
  raycast_run(rig.context());
  ASSERT_GT(rig.frames_shown(), 100);

  const Pixel keep[4] = {pixel_red_mask, pixel_green_mask, pixel_blue_mask, 0};
  Pixel lit_channels = 0;
  for (std::int64_t n = 0; n < rig.frames_shown(); ++n) {
    const std::vector<Pixel>& frame = rig.frames[n];
    for (int y = 0; y < screen_height; ++y) {
      const Pixel allowed = keep[y % 4];
      for (int x = 0; x < screen_width; ++x) {
        const Pixel p = frame[y * screen_width + x];
        ASSERT_EQ(p & ~allowed, 0u) << "frame " << n << " pixel (" << x << ", " << y << ") is " << pixel_text(p);
        lit_channels |= p;
      }
    }
  }
  EXPECT_EQ(lit_channels, 0x00FFFFFFu) << "some channel never lit: the three lights should reach full intensity";

  // The hand-over: the last picture before the tv filter stays in work_a
  // (minus the tv mask, here black).
  const std::vector<Pixel>& last = rig.frames.back();
  for (int y = 0; y < screen_height; y += 4) {
    for (int x = 0; x < screen_width; ++x) {
      const int i = y * screen_width + x;
      ASSERT_EQ(last[i], (*rig.shared.work_a)[i] & pixel_red_mask) << "(" << x << ", " << y << ")";
    }
  }
}

}  // namespace
