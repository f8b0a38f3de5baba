// The demo: its options, the SDL console, data/ beside the program, and the
// entry sequence, which lives in the library with everything else.
#include "shell/platform/program_directory.h"
#include "shell/platform/ptc_sdl.h"
#include "shell/sequence/demo_command_line.h"
#include "shell/sequence/sequence.h"

int main(int argc, char** argv) {
  DemoOptions options;
  // Before anything opens: --help, --version and a bad option touch no display.
  if (const auto status = parse_demo_command_line(argc, argv, options)) return *status;
  ptc::SdlBackend backend;  // first, so that Ctrl+C and SIGTERM end the demo cleanly from the start
  // Without its directory the data files report themselves missing, one by one.
  enter_program_directory();
  return play_demo(backend, options);
}
