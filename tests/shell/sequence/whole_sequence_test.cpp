// The whole demo on the headless console: the scenes show their frames in
// the fixed order and for as long as the committed parameter files say, and
// keys pressed all the time take it to its end in a few frames.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "shell/platform/ptc_headless.h"
#include "shell/sequence/sequence.h"
#include "tools/render/run_stats.h"
#include "tools/render/scene_lengths.h"

namespace {

const std::vector<std::string> scene_order = {"raycast", "lattice", "starwarp", "particles", "blobby", "greets"};

RunStats play_headless(const ptc::HeadlessScript& script) {
  RunStatsRecorder recorder;
  ptc::HeadlessBackend backend(script, [&](const ptc::HeadlessFrame& frame) { recorder.frame(frame); });
  DemoOptions options;
  options.music = false;
  EXPECT_EQ(play_demo(backend, options, &recorder), 0);
  EXPECT_FALSE(backend.is_open()) << "the sequence did not reach its end";
  return recorder.stats();
}

const SceneStats* find_scene(const RunStats& stats, const std::string& name) {
  for (const SceneStats& scene : stats.scenes) {
    if (scene.name == name) return &scene;
  }
  return nullptr;
}

TEST(WholeSequence, At60FpsWithoutAKeyEachSceneShowsItsCommittedLengthInOrder) {
  const RunStats stats = play_headless(ptc::HeadlessScript{});
  std::vector<std::string> names;
  for (const SceneStats& scene : stats.scenes) names.push_back(scene.name);
  ASSERT_EQ(names, scene_order);
  for (std::size_t i = 1; i < stats.scenes.size(); ++i) {
    EXPECT_GE(stats.scenes[i].first_frame, stats.scenes[i - 1].first_frame + stats.scenes[i - 1].frames)
        << stats.scenes[i].name << " started before " << stats.scenes[i - 1].name << " ended";
  }

  const std::vector<SceneLength> lengths = committed_scene_lengths();
  ASSERT_FALSE(lengths.empty());
  const double units_per_frame = 6.25 / 60;
  for (const SceneLength& length : lengths) {
    const SceneStats* scene = find_scene(stats, length.scene);
    ASSERT_NE(scene, nullptr) << length.scene;
    // A scene's first frame reads a timer delta of 0 on the headless clock:
    // it shows one frame more than its length holds.
    const double expected = length.units / units_per_frame + 1;
    EXPECT_NEAR(static_cast<double>(scene->frames), expected, length.loops)
        << length.scene << ": " << length.units << " units in " << length.loops << " loops";
  }
}

TEST(WholeSequence, WithAKeyBeforeEveryFrameEveryLoopEndsAtOnce) {
  ptc::HeadlessScript script;
  for (std::int64_t frame = 0; frame < 1000; ++frame) script.key_frames.push_back(frame);
  const RunStats stats = play_headless(script);
  ASSERT_EQ(stats.scenes.size(), scene_order.size());
  for (const SceneLength& length : committed_scene_lengths()) {
    const SceneStats* scene = find_scene(stats, length.scene);
    ASSERT_NE(scene, nullptr) << length.scene;
    EXPECT_LE(scene->frames, length.loops) << length.scene << ": at most one frame per loop";
  }
  // Every loop of the six scenes (14), the loading picture and the two between-scene pictures.
  EXPECT_LE(stats.total_frames, 14 + 3);
}

}  // namespace
