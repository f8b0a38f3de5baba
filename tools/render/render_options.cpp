// Command-line parsing for quorvane-render, with CLI11.
#include "render_options.h"

#include <CLI/CLI.hpp>

#include <algorithm>

namespace {

constexpr int usage_error_status = 2;

const char* const description =
    "Plays the Quorvane demo on a headless console: no window, no audio device, a virtual clock on which\n"
    "frame n is presented at exactly n / FPS seconds, and key presses scripted at frame numbers. The same\n"
    "options give the same frames every run. Frame numbers count every console update from 0: the loading\n"
    "picture is frame 0, and the two between-scene pictures count too.";

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

bool RenderSettings::writes_frame(std::int64_t number) const {
  if (frames_directory.empty()) return false;
  if (!at.empty()) return std::find(at.begin(), at.end(), number) != at.end();
  return number % every == 0;
}

std::optional<int> parse_render_options(int argc, char** argv, RenderSettings& settings) {
  CLI::App app(description, "quorvane-render");
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

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int status = app.exit(error);  // prints the help or the error
    return status == 0 ? 0 : usage_error_status;
  }
  settings.rate = *parse_frame_rate(fps);
  return std::nullopt;
}
