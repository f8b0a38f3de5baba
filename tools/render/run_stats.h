// Per-scene statistics of a headless run: how many frames each scene showed,
// from which frame number, and what each frame cost in wall time from its
// first timer read to its console update.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "shell/platform/ptc_headless.h"
#include "shell/sequence/sequence.h"

// Summary of frame times in milliseconds; all 0 when there are none.
struct TimeSummary {
  double mean_ms = 0.0;
  double median_ms = 0.0;  // the middle time, or the mean of the two middle ones
  double p99_ms = 0.0;     // 99th percentile by nearest rank
  double max_ms = 0.0;
};

TimeSummary summarize_times(std::vector<double> milliseconds);

struct SceneStats {
  std::string name;
  // The number of the scene's first frame; with no frame, the number the
  // next presented frame gets.
  std::int64_t first_frame = 0;
  std::int64_t frames = 0;
  std::vector<double> frame_ms;  // one per timed frame
};

struct RunStats {
  std::vector<SceneStats> scenes;  // in sequence order
  std::int64_t total_frames = 0;   // every presented frame, between-scene pictures too
  // Wall time from the recorder's creation, at the renderer's start, to the
  // first frame of the first scene: the start-up. Negative until then.
  double startup_ms = -1.0;
};

// Watches the sequence for scene boundaries and receives every presented
// frame: a frame belongs to the scene whose run is in progress.
class RunStatsRecorder : public SequenceObserver {
 public:
  void before(const SequenceEvent& event) override;
  void frame(const ptc::HeadlessFrame& frame);

  const RunStats& stats() const { return stats_; }

 private:
  RunStats stats_;
  bool scene_running_ = false;
  std::chrono::steady_clock::time_point created_ = std::chrono::steady_clock::now();
};
