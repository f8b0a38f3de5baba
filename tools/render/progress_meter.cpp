// The progress bar and the plain progress lines.
#include "progress_meter.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>

#include "scene_lengths.h"
#include "shell/sequence/sequence.h"

namespace {

constexpr auto terminal_interval = std::chrono::milliseconds(200);
constexpr auto log_interval = std::chrono::seconds(5);
constexpr int bar_width = 30;

// Past this many frames an estimate says nothing more: a broken parameter
// file may ask for any length, even one no 64-bit count holds.
constexpr double most_frames_estimated = 1e12;

// A scene's frames: its length in frames at `rate`, and one more, as its
// first frame reads a timer delta of 0.
double scene_frames(const SceneLength& length, const FrameRate& rate) {
  const double frames = std::ceil(scene_units_to_seconds(length.units) * rate.per_second()) + 1;
  return frames > 1 ? frames : 1;  // a length of 0 or less, or NaN: next to nothing
}

std::string minutes_and_seconds(double seconds) {
  const auto whole = static_cast<std::int64_t>(std::max(0.0, std::round(seconds)));
  char text[32];
  std::snprintf(text, sizeof(text), "%" PRId64 ":%02d", whole / 60, static_cast<int>(whole % 60));
  return text;
}

}  // namespace

std::int64_t expected_run_frames(const FrameRate& rate, const std::string& last_scene) {
  const std::vector<SceneLength> lengths = committed_scene_lengths();
  double frames = 1;  // the loading picture
  for (std::string_view scene : scenes_in_play_order) {
    // The transition picture comes before blobby, the zibbet picture before greets.
    if (scene == "blobby" || scene == "greets") ++frames;
    for (const SceneLength& length : lengths) {
      if (length.scene == scene) frames += scene_frames(length, rate);
    }
    if (scene == last_scene) break;
  }
  return static_cast<std::int64_t>(std::min(frames, most_frames_estimated));
}

ProgressMeter::ProgressMeter(std::FILE* out, bool terminal, std::int64_t expected_frames)
    : out_(out), terminal_(terminal), expected_(expected_frames) {}

void ProgressMeter::update(std::int64_t frames_done) {
  if (finished_) return;
  const Clock::time_point now = Clock::now();
  last_frames_ = frames_done;
  if (!started_) {
    // Timed from the first frame, the loading picture.
    started_ = true;
    start_ = now;
    draw(frames_done, now);
    return;
  }
  if (now - last_draw_ >= (terminal_ ? Clock::duration(terminal_interval) : Clock::duration(log_interval))) {
    draw(frames_done, now);
  }
}

void ProgressMeter::finish() {
  if (finished_) return;
  finished_ = true;
  if (!terminal_ || !drawn_) return;
  draw(last_frames_, Clock::now());
  std::fputc('\n', out_);
  std::fflush(out_);
}

void ProgressMeter::draw(std::int64_t frames_done, Clock::time_point now) {
  last_draw_ = now;
  drawn_ = true;
  const std::int64_t total = std::max(expected_, frames_done);
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const double rate = seconds > 0 ? static_cast<double>(frames_done) / seconds : 0.0;
  const std::string left =
      rate > 0 ? minutes_and_seconds(static_cast<double>(total - frames_done) / rate) : std::string("?:??");
  if (terminal_) {
    const int filled = total > 0 ? static_cast<int>(bar_width * frames_done / total) : 0;
    const std::string bar = std::string(filled, '#') + std::string(bar_width - filled, '.');
    // \r back to the line's start; \033[K clears what a longer line left.
    std::fprintf(out_, "\r[%s] %" PRId64 "/%" PRId64 " frames  %.1f fps  %s left\033[K", bar.c_str(), frames_done,
                 total, rate, left.c_str());
  } else {
    std::fprintf(out_, "quorvane-render: frame %" PRId64 " of about %" PRId64 ", %.1f fps, about %s left\n",
                 frames_done, total, rate, left.c_str());
  }
  std::fflush(out_);
}
