// Per-scene frame statistics of headless runs, and their report as a table
// and as JSON.
#include "tools/render/run_stats.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/render/stats_report.h"

namespace {

TEST(RunStats, SummarisesFrameTimes) {
  std::vector<double> hundred, two_hundred_one;
  for (int i = 100; i >= 1; --i) hundred.push_back(i);  // unsorted on purpose
  for (int i = 1; i <= 201; ++i) two_hundred_one.push_back(i);
  // Times, and their mean, median, 99th percentile and maximum.
  const std::pair<std::vector<double>, std::array<double, 4>> cases[] = {
      {{}, {0, 0, 0, 0}},
      {{4}, {4, 4, 4, 4}},
      {{3, 1, 2}, {2, 2, 3, 3}},
      {{1, 2, 3, 10}, {4, 2.5, 10, 10}},
      {hundred, {50.5, 50.5, 99, 100}},         // rank ceil(0.99 x 100) = 99
      {two_hundred_one, {101, 101, 199, 201}},  // rank ceil(198.99) = 199
  };
  for (const auto& [times, expected] : cases) {
    const TimeSummary got = summarize_times(times);
    EXPECT_EQ((std::array{got.mean_ms, got.median_ms, got.p99_ms, got.max_ms}), expected) << times.size() << " times";
  }
}

TEST(RunStats, AFrameBelongsToTheSceneWhoseRunIsInProgressAndTheReportsListThemInOrder) {
  RunStatsRecorder recorder;
  const auto step = [&](SequenceStep s, const char* name) { recorder.before(SequenceEvent{s, name, nullptr}); };
  const auto frame = [&](double ms, bool timed = true) { recorder.frame({0, 0, nullptr, timed, ms / 1000.0}); };
  step(SequenceStep::present_picture, "loading picture");
  frame(0, false);
  step(SequenceStep::run_scene, "first");
  frame(2);
  frame(4);
  step(SequenceStep::run_scene, "empty");
  step(SequenceStep::present_picture, "transition_picture");
  frame(9);  // timed by an earlier clock read, but no scene's frame
  step(SequenceStep::run_scene, "third");
  frame(6);
  step(SequenceStep::free_music, "");

  RunStats stats = recorder.stats();
  EXPECT_GE(stats.startup_ms, 0.0);
  stats.startup_ms = 12.5;
  EXPECT_EQ(stats_json(FrameRate{60000, 1001}, stats),
            "{\"fps\": 59.94005994005994, \"scenes\": ["
            "{\"name\": \"first\", \"first_frame\": 1, \"frames\": 2, \"mean_ms\": 3.0000, \"p50_ms\": 3.0000, "
            "\"p99_ms\": 4.0000, \"max_ms\": 4.0000}, "
            "{\"name\": \"empty\", \"first_frame\": 3, \"frames\": 0, \"mean_ms\": 0.0000, \"p50_ms\": 0.0000, "
            "\"p99_ms\": 0.0000, \"max_ms\": 0.0000}, "
            "{\"name\": \"third\", \"first_frame\": 4, \"frames\": 1, \"mean_ms\": 6.0000, \"p50_ms\": 6.0000, "
            "\"p99_ms\": 6.0000, \"max_ms\": 6.0000}], \"total_frames\": 5, \"startup_ms\": 12.5000}\n");

  char* table = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&table, &size);
  print_stats_table(out, stats);
  std::fclose(out);
  EXPECT_EQ(std::string(table, size),
            "scene         first   frames   mean ms    median       p99       max\n"
            "first             1        2     3.000     3.000     4.000     4.000\n"
            "empty             3        0     0.000     0.000     0.000     0.000\n"
            "third             4        1     6.000     6.000     6.000     6.000\n"
            "total                      5     4.000     4.000     6.000     6.000\n"
            "start-up to the first scene frame: 12 ms\n");
  std::free(table);
  stats.startup_ms = -1.0;
  EXPECT_NE(stats_json(FrameRate{}, stats).find("{\"fps\": 60.0, \"scenes\": [{"), std::string::npos);
  EXPECT_NE(stats_json(FrameRate{}, stats).find("\"startup_ms\": null}"), std::string::npos) << "no scene frame";
}

}  // namespace
