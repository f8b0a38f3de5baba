// Progress of a render on standard error: frames done of the expected
// total, the rate and the time left. On a terminal a bar redrawn in place a
// few times a second; otherwise (a log, a pipe) a plain line every few
// seconds.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "shell/platform/frame_rate.h"

// The frames a run presents up to the end of `last_scene` (empty: the
// whole run), as the committed parameter files' scene lengths foretell it
// at `rate`: the loading picture, every frame of the scenes, and the
// between-scene pictures. Keys shorten a run; the count is an estimate.
std::int64_t expected_run_frames(const FrameRate& rate, const std::string& last_scene);

class ProgressMeter {
 public:
  ProgressMeter(std::FILE* out, bool terminal, std::int64_t expected_frames);

  // Frames presented so far; draws when it is time to.
  void update(std::int64_t frames_done);
  // Ends the bar's line on a terminal; nothing is drawn after it.
  void finish();

 private:
  using Clock = std::chrono::steady_clock;

  void draw(std::int64_t frames_done, Clock::time_point now);

  std::FILE* out_;
  bool terminal_;
  std::int64_t expected_;
  bool started_ = false;
  bool drawn_ = false;
  bool finished_ = false;
  std::int64_t last_frames_ = 0;
  Clock::time_point start_;
  Clock::time_point last_draw_;
};
