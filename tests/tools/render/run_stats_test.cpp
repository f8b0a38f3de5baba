// Per-scene frame statistics of headless runs.
#include "tools/render/run_stats.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(RunStats, SummarisesFrameTimes) {
  struct Case {
    std::vector<double> times;
    TimeSummary expected;
  };
  std::vector<double> hundred;
  for (int i = 100; i >= 1; --i) hundred.push_back(i);  // unsorted on purpose
  std::vector<double> two_hundred_one;
  for (int i = 1; i <= 201; ++i) two_hundred_one.push_back(i);
  const Case cases[] = {
      {{}, {0, 0, 0, 0}},
      {{4}, {4, 4, 4, 4}},
      {{3, 1, 2}, {2, 2, 3, 3}},
      {{1, 2, 3, 10}, {4, 2.5, 10, 10}},
      {hundred, {50.5, 50.5, 99, 100}},              // rank ceil(0.99 x 100) = 99
      {two_hundred_one, {101, 101, 199, 201}},       // rank ceil(198.99) = 199
  };
  for (const Case& c : cases) {
    const TimeSummary got = summarize_times(c.times);
    EXPECT_DOUBLE_EQ(got.mean_ms, c.expected.mean_ms) << c.times.size() << " times";
    EXPECT_DOUBLE_EQ(got.median_ms, c.expected.median_ms) << c.times.size() << " times";
    EXPECT_DOUBLE_EQ(got.p99_ms, c.expected.p99_ms) << c.times.size() << " times";
    EXPECT_DOUBLE_EQ(got.max_ms, c.expected.max_ms) << c.times.size() << " times";
  }
}

ptc::HeadlessFrame frame(double compose_ms, bool timed = true) {
  ptc::HeadlessFrame f;
  f.timed = timed;
  f.compose_seconds = compose_ms / 1000.0;
  return f;
}

TEST(RunStats, AFrameBelongsToTheSceneWhoseRunIsInProgress) {
  RunStatsRecorder recorder;
  auto step = [&](SequenceStep s, const char* name) { recorder.before(SequenceEvent{s, name, nullptr}); };
  step(SequenceStep::present_picture, "loading picture");
  recorder.frame(frame(0, false));
  step(SequenceStep::run_scene, "first");
  recorder.frame(frame(2));
  recorder.frame(frame(4));
  step(SequenceStep::run_scene, "empty");
  step(SequenceStep::present_picture, "transition_picture");
  recorder.frame(frame(9));  // timed by an earlier clock read, but no scene's frame
  step(SequenceStep::run_scene, "third");
  recorder.frame(frame(6));
  step(SequenceStep::free_music, "");

  // Each scene as "name from first frame: frames [timed frame ms]".
  std::string got;
  for (const SceneStats& scene : recorder.stats().scenes) {
    got += scene.name + " from " + std::to_string(scene.first_frame) + ": " + std::to_string(scene.frames) + " [";
    for (double ms : scene.frame_ms) got += " " + std::to_string(ms);
    got += " ] ";
  }
  EXPECT_EQ(got, "first from 1: 2 [ 2.000000 4.000000 ] empty from 3: 0 [ ] third from 4: 1 [ 6.000000 ] ");
  EXPECT_EQ(recorder.stats().total_frames, 5);
}

}  // namespace
