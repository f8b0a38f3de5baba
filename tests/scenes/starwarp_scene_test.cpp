// The starwarp scene played on the headless console: the key rule and
// lengths of no time, the pre-roll lattice frame, the straight warp's word
// pictures, the overshoot that carries into the spin and the spin's
// single-frame flash pictures.
#include "scenes/starwarp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "scene_rig.h"
#include "scenes/lattice.h"
#include "shell/pixels/pixel_ops.h"

namespace {

constexpr Pixel first_flash_colour = 0x00123456;
constexpr Pixel second_flash_colour = 0x00654321;
constexpr Pixel white = 0x00FFFFFF;
// The only lit pixel of each word picture.
constexpr int first_word_pixel = 100 * screen_width + 100;
constexpr int second_word_pixel = 200 * screen_width + 200;

// The scene started up as the sequence does, after the lattice scene, with
// the real data files; then given its lengths and pictures a test can find.
struct StarwarpRig : SceneRig {
  StarwarpRig(FrameRate rate, std::vector<std::int64_t> key_frames, StarwarpParameters parameters)
      : SceneRig(rate, std::move(key_frames)) {
    shared.word_flash_times.starwarp = {50, 100};
    shared.word_flash_bias = 50;
    lattice_init(shared);
    starwarp_init(shared);
    starwarp_set_parameters(parameters);
    (*shared.words_pictures[0])[first_word_pixel] = white;
    (*shared.words_pictures[1])[second_word_pixel] = white;
    fill(*shared.sublim_pictures[0], first_flash_colour);
    fill(*shared.sublim_pictures[1], second_flash_colour);
  }
  void run() { starwarp_run(context()); }

  bool shows(std::size_t frame, const ScreenBuffer& picture) const {
    return std::memcmp(frames[frame].data(), picture.pixels(), screen_bytes) == 0;
  }
};

const double coarse_step = loop_frame_times(coarse_rate, 2.0, 0.0, false)[1];

TEST(StarwarpScene, KeysAndLengthsOfNoTimeEndThePhasesAndTheKeyIsConsumed) {
  struct Case {
    const char* what;
    double warp, spin;
    std::vector<std::int64_t> keys;  // backend frames: 1 waits before the scene's first frame
    std::size_t frames;
  };
  const std::size_t two_units = loop_frame_times(coarse_rate, 2.0).size();
  const Case cases[] = {
      {"a key before the first frame", 125.0, 125.0, {1}, 0},
      {"no lengths", 0.0, 0.0, {}, 0},
      {"no lengths, a key waiting", 0.0, 0.0, {1}, 0},
      {"lengths below 0", -5.0, -1.0, {}, 0},
      {"a key after two straight frames also ends the spin", 125.0, 125.0, {3}, 2},
      {"only the spin", 0.0, 2.0, {}, two_units},
      {"only the straight warp", 2.0, 0.0, {}, two_units},
  };
  for (const Case& c : cases) {
    StarwarpRig rig(coarse_rate, c.keys, {c.warp, c.spin, 0.0});
    rig.run();
    EXPECT_EQ(rig.frames.size(), c.frames) << c.what;
    EXPECT_EQ(rig.backend.key_reads(), c.keys.empty() ? 0 : 1) << c.what;
    EXPECT_FALSE(rig.console.key()) << c.what << ": the key was left waiting";
  }
}

TEST(StarwarpScene, ThePreRollLatticeFrameIsBlurredIntoTheFeedbackPicture) {
  StarwarpRig rig(coarse_rate, {1}, {125.0, 125.0, 0.0});
  rig.run();
  const Pixel* drawing = rig.shared.work_b->pixels();
  EXPECT_GT(lit_pixels(drawing), 1000) << "the lattice drawing in work_b";
  ScreenBuffer expected;
  blur8_buffer(drawing, expected.pixels());
  EXPECT_EQ(std::memcmp(expected.pixels(), rig.shared.work_a->pixels(), screen_bytes), 0);
}

TEST(StarwarpScene, WordPicturesShowAroundTheirMomentsInTheStraightWarp) {
  // The blur gives at most 248 per channel, so white is a word at full strength.
  const double warp = 122.0;
  StarwarpRig rig(coarse_rate, {}, {warp, 0.0, 0.0});
  rig.run();
  const std::vector<double> times = loop_frame_times(coarse_rate, warp);
  ASSERT_EQ(rig.frames.size(), times.size());
  int full[2] = {0, 0};
  for (std::size_t j = 0; j < times.size(); ++j) {
    const int t = static_cast<int>(times[j]);
    const struct {
      int pixel, moment;
    } words[2] = {{first_word_pixel, 50}, {second_word_pixel, 100}};
    for (int k = 0; k < 2; ++k) {
      const int distance = std::abs(t - words[k].moment);
      const Pixel got = rig.frames[j][words[k].pixel];
      if (distance <= 3) {
        ++full[k];
        EXPECT_EQ(got, white) << "word " << k << " at T = " << times[j];
      } else if (distance >= 20) {
        EXPECT_NE(got, white) << "word " << k << " at T = " << times[j];
      }
    }
  }
  EXPECT_GT(full[0], 4);
  EXPECT_GT(full[1], 4);
}

// The index of the first time past `moment`.
std::size_t first_past(const std::vector<double>& times, double moment) {
  return static_cast<std::size_t>(std::find_if(times.begin(), times.end(), [&](double t) { return t > moment; }) -
                                  times.begin());
}

TEST(StarwarpScene, EachFlashPictureShowsInTheOneFrameThatFirstPassesItsMoment) {
  // The straight frames end at T = 2.93, 0.93 past a warp of 2: the spin
  // starts there, and its first flash comes one frame sooner than from 0.
  const std::vector<double> straight = loop_frame_times(coarse_rate, 2.0);
  const std::vector<double> spin = loop_frame_times(coarse_rate, 40.0, straight.back() + coarse_step - 2.0, false);
  ASSERT_NE(first_past(spin, 30.0), first_past(loop_frame_times(coarse_rate, 40.0, 0.0, false), 30.0));
  struct Case {
    const char* what;
    FrameRate rate;
    double warp, spin;
    std::size_t frames;
    std::size_t first_flash, second_flash;  // frame indices; `frames` for never
  };
  const Case cases[] = {
      // Spin times 0, 0, 30, 60, 90, 120: exactly 30 is not past 30.
      {"steps of 30 units", {5, 24}, 0.0, 130.0, 6, 3, 5},
      // Spin times 0, 0, 120: the third frame passes both; the second picture covers the first.
      {"one step past both moments", {5, 96}, 0.0, 130.0, 3, 3, 2},
      {"the straight warp's overshoot carries into the spin", coarse_rate, 2.0, 40.0, straight.size() + spin.size(),
       straight.size() + first_past(spin, 30.0), straight.size() + spin.size()},
  };
  for (const Case& c : cases) {
    StarwarpRig rig(c.rate, {}, {c.warp, c.spin, 0.0});
    rig.run();
    ASSERT_EQ(rig.frames.size(), c.frames) << c.what;
    for (std::size_t j = 0; j < c.frames; ++j) {
      EXPECT_EQ(rig.shows(j, *rig.shared.sublim_pictures[0]), j == c.first_flash) << c.what << ", frame " << j;
      EXPECT_EQ(rig.shows(j, *rig.shared.sublim_pictures[1]), j == c.second_flash) << c.what << ", frame " << j;
    }
  }
}

}  // namespace
