// Frame counts and time summaries per scene of a headless run.
#include "run_stats.h"

#include <algorithm>
#include <numeric>

TimeSummary summarize_times(std::vector<double> milliseconds) {
  TimeSummary summary;
  if (milliseconds.empty()) return summary;
  std::sort(milliseconds.begin(), milliseconds.end());
  const std::size_t count = milliseconds.size();
  summary.mean_ms = std::accumulate(milliseconds.begin(), milliseconds.end(), 0.0) / static_cast<double>(count);
  summary.median_ms = count % 2 == 1 ? milliseconds[count / 2]
                                     : (milliseconds[count / 2 - 1] + milliseconds[count / 2]) / 2.0;
  // Nearest rank: the smallest time with at least 99% of the times at or below it, rank ceil(0.99 n).
  const std::size_t rank = (99 * count + 99) / 100;
  summary.p99_ms = milliseconds[rank - 1];
  summary.max_ms = milliseconds.back();
  return summary;
}

void RunStatsRecorder::before(const SequenceEvent& event) {
  scene_running_ = event.step == SequenceStep::run_scene;
  if (!scene_running_) return;
  SceneStats scene;
  scene.name = std::string(event.name);
  scene.first_frame = stats_.total_frames;
  stats_.scenes.push_back(scene);
}

void RunStatsRecorder::frame(const ptc::HeadlessFrame& frame) {
  ++stats_.total_frames;
  if (!scene_running_) return;
  SceneStats& scene = stats_.scenes.back();
  if (stats_.startup_ms < 0.0) {
    stats_.startup_ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - created_).count();
  }
  ++scene.frames;
  if (frame.timed) scene.frame_ms.push_back(frame.compose_seconds * 1000.0);
}
