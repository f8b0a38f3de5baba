// The scenes' frame loop on the headless console: what each frame is
// composed from, where the key is tested, and the scene time it returns.
#include <gtest/gtest.h>

#include <vector>

#include "scene_rig.h"
#include "scenes/scene.h"

namespace {

// A loop of `length` units from `start` on a new rig; every frame's
// SceneFrame kept, and its surface marked with the frame's number.
struct LoopRun {
  LoopRun(double start, double length, std::vector<std::int64_t> key_frames, KeyTest key_test)
      : rig(coarse_rate, std::move(key_frames)) {
    ptc::Timer timer(rig.console);
    start_scene_timer(timer);
    reached = play_frame_loop(
        rig.context(), timer, start, length,
        [this](const SceneFrame& frame) {
          frame.surface[0] = static_cast<Pixel>(seen.size() + 1);
          seen.push_back(frame);
        },
        key_test);
  }
  SceneRig rig;
  std::vector<SceneFrame> seen;
  double reached = 0.0;
};

TEST(FrameLoop, EachFrameGetsItsTimeStepAndSecondsAndIsPresented) {
  // 6.4 frames per second: the first delta is 0, each later one 5/32 s.
  LoopRun run(0.5, 3.0, {}, KeyTest::frame_start);
  const std::vector<double> times = loop_frame_times(coarse_rate, 3.0, 0.5);
  ASSERT_EQ(run.seen.size(), times.size());
  ASSERT_EQ(run.rig.frames.size(), times.size());
  for (std::size_t n = 0; n < times.size(); ++n) {
    const double seconds = n == 0 ? 0.0 : 5.0 / 32.0;
    EXPECT_EQ(run.seen[n].time, times[n]) << "frame " << n;
    EXPECT_EQ(run.seen[n].seconds, seconds) << "frame " << n;
    EXPECT_EQ(run.seen[n].step, 6.25 * seconds) << "frame " << n;
    EXPECT_EQ(run.rig.frames[n][0], n + 1) << "frame " << n << ": the surface composed is the one shown";
  }
  EXPECT_EQ(run.reached, times.back() + 6.25 * 5.0 / 32.0);
}

TEST(FrameLoop, AKeyEndsTheLoopWhereItIsTestedAndIsLeftWaiting) {
  struct Case {
    const char* what;
    double length;
    std::vector<std::int64_t> keys;  // backend frames: 1 waits before the loop's first frame
    KeyTest key_test;
    std::size_t frames;
    long key_tests;
  };
  const Case cases[] = {
      {"no length: no frame and no key test", 0.0, {1}, KeyTest::frame_start, 0, 0},
      {"a key before the first frame", 20.0, {1}, KeyTest::frame_start, 0, 1},
      {"a key before the third frame", 20.0, {3}, KeyTest::frame_start, 2, 3},
      {"blobby's order, no length: the key is still tested once", 0.0, {1}, KeyTest::before_loop_and_frame_end, 0, 1},
      {"blobby's order, a key after the second frame", 20.0, {3}, KeyTest::before_loop_and_frame_end, 2, 3},
  };
  for (const Case& c : cases) {
    LoopRun run(0.0, c.length, c.keys, c.key_test);
    EXPECT_EQ(run.seen.size(), c.frames) << c.what;
    EXPECT_EQ(run.rig.backend.key_tests(), c.key_tests) << c.what;
    EXPECT_EQ(run.rig.backend.key_reads(), 0) << c.what;
    EXPECT_EQ(run.reached, c.frames == 0 ? 0.0 : loop_frame_times(coarse_rate, 20.0)[c.frames]) << c.what;
  }
}

}  // namespace
