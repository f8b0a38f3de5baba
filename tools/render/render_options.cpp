// Command-line parsing for quorvane-render, with CLI11.
#include "render_options.h"

#include <CLI/CLI.hpp>

#include <algorithm>

#include "shell/pixels/screen_buffer.h"
#include "shell/sequence/sequence.h"

namespace {

constexpr int usage_error_status = 2;
// 8 x 640 x 480 is 5120 x 3840: past that a frame no longer fits common encoders.
constexpr int max_scale = 8;

const char* const description =
    "Plays the Quorvane demo on a headless console: no window, no audio device, a virtual clock on which\n"
    "frame n is presented at exactly n / FPS seconds, and key presses scripted at frame numbers. The same\n"
    "options give the same frames every run. Frame numbers count every console update from 0: the loading\n"
    "picture is frame 0, and the two between-scene pictures count too.\n\n"
    "Capture: the music starts with the first scene, so --video and --wav start with the first frame after\n"
    "the loading picture; frame n of the capture is shown at n / FPS seconds, with the music at that moment.\n"
    "Ctrl+C ends a capture early and still leaves a playable file.";

CLI::Validator frame_rate_validator() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        return parse_frame_rate(text) ? std::string()
                                      : "'" + text + "' is not a frame rate: give a positive number such as 60 or "
                                                     "59.94, or a ratio such as 60000/1001";
      },
      "");
}

}  // namespace

int RenderSettings::width() const { return screen_width * scale; }
int RenderSettings::height() const { return screen_height * scale; }

bool RenderSettings::writes_frame(std::int64_t number) const {
  if (frames_directory.empty()) return false;
  if (!at.empty()) return std::find(at.begin(), at.end(), number) != at.end();
  return number % every == 0;
}

std::optional<int> parse_render_options(int argc, char** argv, RenderSettings& settings) {
  CLI::App app(description, "quorvane-render");
  app.set_version_flag("--version", "quorvane-render " QUORVANE_VERSION);
  std::string fps = "60";
  app.add_option("--fps", fps, "Frames per second of the virtual clock: a number or a ratio such as 60000/1001")
      ->type_name("RATE")
      ->default_str("60")
      ->check(frame_rate_validator());
  CLI::Option* frames = app.add_option("--frames", settings.frames_directory,
                                       "Write frames as PNG files DIR/NNNNNN.png (six-digit frame number); the "
                                       "directory is created if needed")
                            ->type_name("DIR");
  CLI::Option* every = app.add_option("--every", settings.every,
                                      "With --frames: only frames whose number is a multiple of N (default 1)")
                           ->type_name("N")
                           ->check(CLI::PositiveNumber)
                           ->needs(frames);
  app.add_option("--at", settings.at, "With --frames: only these frames, instead of --every")
      ->type_name("N,M,...")
      ->delimiter(',')
      ->check(CLI::NonNegativeNumber)
      ->needs(frames)
      ->excludes(every);
  app.add_option("--keys", settings.keys, "Press a key just before each of these frames is composed")
      ->type_name("N,M,...")
      ->delimiter(',')
      ->check(CLI::NonNegativeNumber);
  app.add_flag("--stats", settings.stats,
               "Print per scene the frames shown and what each frame took in wall time, from its timer read to "
               "its console update: mean, median, 99th percentile (nearest rank) and max in ms; then a totals "
               "line");
  app.add_option("--stats-json", settings.stats_json,
                 "Write the same figures as JSON: fps, scenes (name, first_frame, frames, mean_ms, p50_ms, p99_ms, "
                 "max_ms; times 0 for a scene without frames) and total_frames")
      ->type_name("FILE");

  CLI::Option* video =
      app.add_option("--video", settings.video_path,
                     "Capture the sound and pictures to FILE with FFmpeg (the ffmpeg program must be on PATH): H.264 "
                     "and AAC in MP4, or FFV1 and FLAC in Matroska with --lossless, whatever FILE's extension. The "
                     "capture starts with the first scene, as the music does, and goes to the end of the run")
          ->type_name("FILE");
  app.add_option("--wav", settings.wav_path,
                 "Write the soundtrack of the captured frames to FILE: 48 kHz 16-bit stereo, exactly as long as "
                 "those frames last; with --frames, a lossless capture")
      ->type_name("FILE");
  app.add_option("--scale", settings.scale,
                 "Enlarge written frames and the video N times, each pixel an N x N block (2: 1280 x 960)")
      ->type_name("N")
      ->check(CLI::Range(1, max_scale));
  std::vector<std::string> scene_names(scenes_in_play_order.begin(), scenes_in_play_order.end());
  app.add_option("--scene", settings.scene,
                 "Capture only this scene: the scenes before it still play, unwritten, so that it starts as in "
                 "the whole run; the run ends with the scene. One of raycast, lattice, starwarp, particles, "
                 "blobby, greets")
      ->type_name("NAME")
      ->check(CLI::IsMember(scene_names));
  CLI::Option* lossless =
      app.add_flag("--lossless", settings.lossless, "With --video: lossless FFV1 pictures and FLAC sound in Matroska")
          ->needs(video);
  app.add_option("--crf", settings.crf,
                 "With --video: x264's constant rate factor, 0 (best) to 51 (smallest); default 18, near "
                 "transparent")
      ->type_name("N")
      ->check(CLI::Range(0, 51))
      ->needs(video)
      ->excludes(lossless);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int status = app.exit(error);  // prints the help or the error
    return status == 0 ? 0 : usage_error_status;
  }
  settings.rate = *parse_frame_rate(fps);
  return std::nullopt;
}
