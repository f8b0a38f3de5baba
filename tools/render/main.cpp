// quorvane-render: plays the demo's sequence on the headless console, never
// opening a window or an audio device; writes chosen frames as PNG files,
// captures video with its soundtrack through FFmpeg, and reports per-scene
// frame statistics.
#include <unistd.h>

#include <cinttypes>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "capture_window.h"
#include "frame_scaler.h"
#include "progress_meter.h"
#include "render_options.h"
#include "run_stats.h"
#include "shell/platform/program_directory.h"
#include "shell/platform/ptc.h"
#include "shell/platform/ptc_headless.h"
#include "shell/platform/quit_signal.h"
#include "shell/sequence/sequence.h"
#include "soundtrack.h"
#include "stats_report.h"
#include "tools/common/png_file.h"
#include "video_capture.h"

namespace {

namespace fs = std::filesystem;

// Writes the chosen frames; a frame that cannot be written ends the run
// through the console's error, like any other console failure.
class FrameWriter {
 public:
  explicit FrameWriter(const RenderSettings& settings) : settings_(settings) {}

  void write(std::int64_t number, const Pixel* pixels) {
    char name[32];
    std::snprintf(name, sizeof(name), "%06" PRId64 ".png", number);
    const std::string path = (fs::path(settings_.frames_directory) / name).string();
    std::string error;
    if (!write_png_rgb(path, settings_.width(), settings_.height(), pixels, settings_.width(), &error)) {
      failed_ = true;
      throw ptc::DynamicError("Cannot write frame " + std::to_string(number) + ": " + error);
    }
    ++written_;
  }

  bool failed() const { return failed_; }
  std::int64_t written() const { return written_; }

 private:
  const RenderSettings& settings_;
  bool failed_ = false;
  std::int64_t written_ = 0;
};

// One run: watches the sequence, and sends each presented frame where it
// goes (statistics, progress, PNG files, the video encoder).
class RenderRun : public SequenceObserver {
 public:
  explicit RenderRun(const RenderSettings& settings)
      : settings_(settings),
        window_(settings.scene),
        writer_(settings),
        scaler_(settings.scale),
        progress_(stderr, isatty(STDERR_FILENO) == 1, expected_run_frames(settings.rate, settings.scene)) {}

  bool start_video(std::string& error) {
    video_on_ = !settings_.video_path.empty();
    return !video_on_ || video_.start(settings_, error);
  }

  // Plays the demo to its end, or until the capture is done or interrupted.
  void play() {
    ptc::HeadlessScript script;
    script.rate = settings_.rate;
    script.key_frames = settings_.keys;
    ptc::HeadlessBackend backend(script, [&](const ptc::HeadlessFrame& frame) { take(frame); });
    backend_ = &backend;
    DemoOptions options;
    options.music = false;  // never an audio device
    play_demo(backend, options, this);
    backend_ = nullptr;
    progress_.finish();
  }

  void before(const SequenceEvent& event) override {
    recorder_.before(event);
    window_.before(event);
    if (window_.scene_done()) backend_->request_quit();  // nothing more to capture
  }

  const RunStats& stats() const { return recorder_.stats(); }
  const CaptureWindow& window() const { return window_; }
  const FrameWriter& writer() const { return writer_; }
  bool video_failed() const { return video_failed_; }
  VideoCapture& video() { return video_; }

 private:
  void take(const ptc::HeadlessFrame& frame) {
    recorder_.frame(frame);
    progress_.update(frame.number + 1);
    if (received_quit_signal() != 0 && !stopped_) {
      progress_.finish();
      std::fprintf(stderr, "quorvane-render: interrupted: finishing what was captured (Ctrl+C again abandons it)\n");
      stop_capture();
    }
    const bool captured = window_.take(frame);
    const bool chosen = settings_.scene.empty() ? !stopped_ : captured;
    const Pixel* pixels = nullptr;
    if (chosen && settings_.writes_frame(frame.number)) {
      pixels = scaler_.scale(frame.pixels);
      writer_.write(frame.number, pixels);
    }
    if (captured && video_on_) {
      if (pixels == nullptr) pixels = scaler_.scale(frame.pixels);
      if (!video_.add_frame(pixels)) {
        // ffmpeg stopped reading: its own message comes when it is waited for.
        video_failed_ = true;
        stop_capture();
      }
    }
  }

  // No frame joins the capture from now on, and the sequence runs out.
  void stop_capture() {
    if (stopped_) return;
    stopped_ = true;
    window_.close();
    backend_->request_quit();
  }

  const RenderSettings& settings_;
  RunStatsRecorder recorder_;
  CaptureWindow window_;
  FrameWriter writer_;
  FrameScaler scaler_;
  ProgressMeter progress_;
  VideoCapture video_;
  bool video_on_ = false;
  bool video_failed_ = false;
  bool stopped_ = false;
  ptc::HeadlessBackend* backend_ = nullptr;
};

// The user's paths are taken from where the user stands, before the program
// moves beside its data.
bool prepare_output_paths(RenderSettings& settings) {
  std::error_code error;
  if (!settings.frames_directory.empty()) {
    settings.frames_directory = fs::absolute(settings.frames_directory, error).string();
    if (!error) fs::create_directories(settings.frames_directory, error);
    if (error) {
      std::fprintf(stderr, "quorvane-render: cannot create the frames directory %s: %s\n",
                   settings.frames_directory.c_str(), error.message().c_str());
      return false;
    }
  }
  for (std::string* path : {&settings.stats_json, &settings.video_path, &settings.wav_path}) {
    if (!path->empty()) *path = fs::absolute(*path, error).string();
  }
  return true;
}

bool write_text_file(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  file << text;
  file.close();
  if (!file) std::fprintf(stderr, "quorvane-render: cannot write %s\n", path.c_str());
  return static_cast<bool>(file);
}

const char* signal_name(int signal_number) { return signal_number == SIGINT ? "Ctrl+C" : "SIGTERM"; }

// Renders the captured frames' sound and writes the WAV file and the video.
bool finish_capture(const RenderSettings& settings, RenderRun& run) {
  const CaptureWindow& window = run.window();
  const double seconds = settings.rate.seconds_at(window.frame_count());
  const Soundtrack soundtrack = render_soundtrack(window.frames_after_origin(), window.frame_count(), settings.rate);
  if (!soundtrack.warning.empty()) {
    std::fprintf(stderr, "quorvane-render: the soundtrack cannot be rendered (%s): the capture is silent\n",
                 soundtrack.warning.c_str());
  }
  if (!settings.wav_path.empty()) {
    if (!write_wav(settings.wav_path, soundtrack.audio)) {
      std::fprintf(stderr, "quorvane-render: cannot write %s\n", settings.wav_path.c_str());
      return false;
    }
    std::printf("sound: %zu samples at %d Hz (%.3f s) in %s\n", soundtrack.audio.frame_count(), capture_sample_rate,
                seconds, settings.wav_path.c_str());
  }
  if (!settings.video_path.empty()) {
    std::string error;
    if (!run.video().finish(soundtrack.audio, error)) {
      std::fprintf(stderr, "quorvane-render: the video capture failed: %s\n", error.c_str());
      return false;
    }
    std::printf("video: frames %" PRId64 " to %" PRId64 " (%" PRId64 " frames, %.3f s) in %s\n", window.first_frame(),
                window.first_frame() + window.frame_count() - 1, window.frame_count(), seconds,
                settings.video_path.c_str());
  }
  return true;
}

// After the run: the capture, if any, then the report. Returns the exit status.
int conclude(const RenderSettings& settings, RenderRun& run) {
  if (run.writer().failed()) return 1;  // reported as the run ended
  const int signal_number = received_quit_signal();
  if (run.video_failed()) {
    std::string error;
    run.video().finish(PcmAudio{}, error);
    std::fprintf(stderr, "quorvane-render: the video capture failed: %s\n", error.c_str());
    return 1;
  }
  if (settings.captures()) {
    if (run.window().frame_count() == 0) {
      std::fprintf(stderr, "quorvane-render: nothing was captured: %s\n",
                   signal_number != 0      ? "the run was interrupted before its first captured frame"
                   : settings.scene.empty() ? "no scene showed a frame"
                                            : ("the scene " + settings.scene + " showed no frame").c_str());
      return signal_number != 0 ? 128 + signal_number : 1;
    }
    if (!finish_capture(settings, run)) return 1;
  }

  const RunStats& stats = run.stats();
  if (settings.stats) {
    print_stats_table(stdout, stats);
  } else {
    std::printf("%" PRId64 " frames presented", stats.total_frames);
    if (!settings.frames_directory.empty()) {
      std::printf(", %" PRId64 " written to %s", run.writer().written(), settings.frames_directory.c_str());
    }
    std::printf("\n");
  }
  if (!settings.stats_json.empty() && !write_text_file(settings.stats_json, stats_json(settings.rate, stats))) {
    return 1;
  }
  if (signal_number != 0) {
    std::fprintf(stderr, "quorvane-render: interrupted by %s: the run was cut short", signal_name(signal_number));
    if (settings.captures()) {
      std::fprintf(stderr, "; the capture holds its first %" PRId64 " frames", run.window().frame_count());
    }
    std::fprintf(stderr, "\n");
    return 128 + signal_number;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  RenderSettings settings;
  if (const auto status = parse_render_options(argc, argv, settings)) return *status;
  if (!prepare_output_paths(settings)) return 1;
  enter_program_directory();
  // Ctrl+C or SIGTERM asks the run to stop at its next frame, so that the
  // capture is finished properly; a second Ctrl+C ends the program at once.
  install_quit_signal_handlers(RepeatedQuitSignal::ends_program);

  RenderRun run(settings);
  std::string error;
  if (!run.start_video(error)) {
    std::fprintf(stderr, "quorvane-render: cannot capture video: %s\n", error.c_str());
    return 1;
  }
  run.play();
  return conclude(settings, run);
}
