// The demo as main runs it: the SDL console and the build-time switches.
#include "shell/demo.h"

#include "shell/program_directory.h"
#include "shell/ptc_sdl.h"
#include "shell/sequence.h"

int demo_main() {
  ptc::SdlBackend backend;  // first, so that Ctrl+C and SIGTERM end the demo cleanly from the start
  // Without its directory the data files report themselves missing, one by one.
  enter_program_directory();
  return play_demo(backend);
}
