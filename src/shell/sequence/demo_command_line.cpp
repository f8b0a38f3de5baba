// quorvane's command line, with CLI11.
#include "shell/sequence/demo_command_line.h"

#include <CLI/CLI.hpp>

namespace {

constexpr int usage_error_status = 2;

const char* const description =
    "Quorvane by Brasklet productions: a software-rendered demo with music.\n"
    "Any key ends the part that is playing; Alt+Enter or F11 switch between window and full screen;\n"
    "closing the window, Ctrl+C or SIGTERM end the demo. Its data/ is looked for beside the program,\n"
    "then in ../share/quorvane/ from it.";

}  // namespace

std::optional<int> parse_demo_command_line(int argc, const char* const* argv, DemoOptions& options) {
  CLI::App app(description, "quorvane");
  app.set_version_flag("--version", "quorvane " QUORVANE_VERSION);
  app.failure_message(CLI::FailureMessage::help);  // the reason, then the usage
  bool window = false, fullscreen = false, mute = false;
  CLI::Option* window_option = app.add_flag("--window", window, "Open in a 640 x 480 window");
  app.add_flag("--fullscreen", fullscreen, "Open full screen, the picture centred at 4:3")->excludes(window_option);
  app.add_flag("--mute", mute, "Play without music: no audio device is opened");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int status = app.exit(error);
    return status == 0 ? 0 : usage_error_status;
  }
  if (window) options.fullscreen = false;
  if (fullscreen) options.fullscreen = true;
  if (mute) options.music = false;
  return std::nullopt;
}
