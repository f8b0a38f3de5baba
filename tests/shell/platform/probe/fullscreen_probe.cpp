// For the full-screen test: opens the SDL console full screen on $DISPLAY,
// shows four flat quadrants, says so on standard error and keeps showing
// them until a quit request (SIGTERM).
#include <unistd.h>

#include <cstdio>

#include "shell/pixels/screen_buffer.h"
#include "shell/platform/ptc.h"
#include "shell/platform/ptc_sdl.h"

int main() {
  constexpr Pixel quadrant_colours[4] = {0x00FF2010, 0x0010E040, 0x002040FF, 0x00F0F0F0};
  ptc::SdlBackend backend;
  ptc::Console console(backend);
  console.option("fullscreen output");
  console.open("Quorvane full-screen probe", screen_width, screen_height, ptc::program_format(), 0);
  ptc::Surface surface(screen_width, screen_height, ptc::program_format());
  Pixel* pixels = surface.lock();
  for (int i = 0; i < screen_pixels; ++i) pixels[i] = quadrant_colours[(i / 640 >= 240) * 2 + (i % 640 >= 320)];
  surface.unlock();
  surface.copy(console);
  for (int frame = 0; !console.key(); ++frame, usleep(10000)) {
    console.update();
    if (frame == 10) std::fputs("shown\n", stderr);
  }
}
