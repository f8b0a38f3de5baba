// quorvane-render: plays the demo's sequence on the headless console, never
// opening a window or an audio device; writes chosen frames as PNG files and
// reports per-scene frame statistics.
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "data/png_file.h"
#include "render_options.h"
#include "shell/program_directory.h"
#include "shell/ptc.h"
#include "shell/ptc_headless.h"
#include "shell/run_stats.h"
#include "shell/sequence.h"
#include "stats_report.h"

namespace {

namespace fs = std::filesystem;

// Writes the chosen frames; a frame that cannot be written ends the run
// through the console's error, like any other console failure.
class FrameWriter {
 public:
  explicit FrameWriter(const RenderSettings& settings) : settings_(settings) {}

  void write(const ptc::HeadlessFrame& frame) {
    if (!settings_.writes_frame(frame.number)) return;
    char name[32];
    std::snprintf(name, sizeof(name), "%06" PRId64 ".png", frame.number);
    const std::string path = (fs::path(settings_.frames_directory) / name).string();
    std::string error;
    if (!write_png_rgb(path, screen_width, screen_height, frame.pixels, screen_width, &error)) {
      failed_ = true;
      throw ptc::DynamicError("Cannot write frame " + std::to_string(frame.number) + ": " + error);
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
  if (!settings.stats_json.empty()) settings.stats_json = fs::absolute(settings.stats_json, error).string();
  return true;
}

bool write_text_file(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  file << text;
  file.close();
  if (!file) std::fprintf(stderr, "quorvane-render: cannot write %s\n", path.c_str());
  return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
  RenderSettings settings;
  if (const auto status = parse_render_options(argc, argv, settings)) return *status;
  if (!prepare_output_paths(settings)) return 1;
  enter_program_directory();

  RunStatsRecorder recorder;
  FrameWriter writer(settings);
  ptc::HeadlessScript script;
  script.rate = settings.rate;
  script.key_frames = settings.keys;
  ptc::HeadlessBackend backend(script, [&](const ptc::HeadlessFrame& frame) {
    recorder.frame(frame);
    writer.write(frame);
  });
  DemoOptions options;
  options.music = false;  // never an audio device
  play_demo(backend, options, &recorder);
  if (writer.failed()) return 1;

  const RunStats& stats = recorder.stats();
  if (settings.stats) {
    print_stats_table(stdout, stats);
  } else {
    std::printf("%" PRId64 " frames presented", stats.total_frames);
    if (!settings.frames_directory.empty()) {
      std::printf(", %" PRId64 " written to %s", writer.written(), settings.frames_directory.c_str());
    }
    std::printf("\n");
  }
  if (!settings.stats_json.empty() && !write_text_file(settings.stats_json, stats_json(settings.rate, stats))) {
    return 1;
  }
  return 0;
}
