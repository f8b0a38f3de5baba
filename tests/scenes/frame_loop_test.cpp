// The frame loop every scene plays its frames with; then, scene by scene,
// what each loop boundary does with a waiting key and with the time a loop
// ran past its length.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "scene_rig.h"

namespace {

TEST(FrameLoop, EachFrameGetsItsTimeAndStepAndAKeyEndsTheLoopWhereItIsTestedLeftWaiting) {
  const double step = 0.9765625;  // 6.25 x 5/32 s
  const struct {
    const char* what;
    double start, length;
    std::vector<std::int64_t> keys;  // scene frames
    KeyTest key_test;
    std::vector<double> times;  // of the frames shown
    double reached;
    long key_tests;
  } cases[] = {
      {"no key", 0.5, 3.0, {}, KeyTest::frame_start, {0.5, 0.5, 0.5 + step, 0.5 + 2 * step}, 0.5 + 3 * step, 4},
      {"no length: no frame and no key test", 0.0, 0.0, {0}, KeyTest::frame_start, {}, 0.0, 0},
      {"a key before the first frame", 0.0, 20.0, {0}, KeyTest::frame_start, {}, 0.0, 1},
      {"a key before the third frame", 0.0, 20.0, {2}, KeyTest::frame_start, {0.0, 0.0}, step, 3},
      {"blobby's order, no length: still one test", 0.0, 0.0, {0}, KeyTest::before_loop_and_frame_end, {}, 0.0, 1},
      {"blobby's order, a key after frame 2", 0.0, 20.0, {2}, KeyTest::before_loop_and_frame_end, {0, 0}, step, 3},
  };
  for (const auto& c : cases) {
    SceneRig rig(coarse_rate, c.keys);
    ptc::Timer timer(rig.console);
    start_scene_timer(timer);
    std::vector<double> times;
    const auto compose = [&](const SceneFrame& frame) {
      EXPECT_EQ(frame.step, 6.25 * frame.seconds) << c.what;
      frame.surface[0] = static_cast<Pixel>(times.size() + 1);  // the frame composed is the one shown
      times.push_back(frame.time);
    };
    EXPECT_EQ(play_frame_loop(rig.context(), timer, c.start, c.length, compose, c.key_test), c.reached) << c.what;
    EXPECT_EQ(times, c.times) << c.what;
    EXPECT_TRUE(rig.backend.key_tests() == c.key_tests && rig.backend.key_reads() == 0)
        << c.what << ": " << rig.backend.key_tests() << " key tests, " << rig.backend.key_reads() << " reads";
    ASSERT_EQ(rig.frames.size(), times.size()) << c.what;
    for (std::size_t n = 0; n < times.size(); ++n) EXPECT_EQ(rig.frames[n][0], n + 1) << c.what;
  }
}

TEST(SceneLoops, EachBoundaryConsumesTheKeyOrNotAndCarriesTheOvershoot) {
  // A first loop of 2 units shows frames at 0, 0, 0.98 and 1.95 and runs
  // 0.93 past its length. A second loop of 3 units then shows 3 frames if it
  // starts with that overshoot, 4 from 0. A key before the first loop's
  // third frame ends it; the second loop then plays from 0 if the boundary
  // consumed the key, and shows nothing if it did not. Every scene consumes
  // one key at the end of its run.
  const auto greets = [](int phase) {
    return [phase](SceneRig& rig, double first, double second) { play_greets(rig, phase, first, second); };
  };
  const struct {
    const char* boundary;
    std::function<void(SceneRig&, double, double)> play;
    std::size_t frames, frames_with_key;  // without a key, with a key at scene frame 2
  } cases[] = {
      {"raycast: end of the run", play_raycast, 4, 2},
      {"lattice: opening to main part", play_lattice, 7, 6},
      {"starwarp: straight warp to spin, the key not consumed", play_starwarp, 7, 2},
      {"particles: first to second phase", play_particles, 7, 6},
      {"blobby: end of the run", play_blobby, 4, 2},
      {"greets: flight to picture", greets(0), 7, 6},
      {"greets: ripple to fade-out", greets(2), 7, 6},
      {"greets: words to both words", greets(4), 7, 6},
  };
  for (const auto& c : cases) {
    for (bool key : {false, true}) {
      SceneRig rig(coarse_rate, key ? std::vector<std::int64_t>{2} : std::vector<std::int64_t>{});
      c.play(rig, 2.0, 3.0);
      EXPECT_EQ(rig.frames.size(), key ? c.frames_with_key : c.frames) << c.boundary << (key ? ", a key" : "");
      EXPECT_EQ(rig.backend.key_reads(), key ? 1 : 0) << c.boundary << (key ? ", a key" : "");
    }
  }
}

}  // namespace
