// Opens the SDL console full screen on $DISPLAY and shows four flat
// quadrants until a quit request (SIGTERM) comes; says "shown" on standard
// error once the picture is up. The full-screen test reads the screen back.
#include <unistd.h>

#include <cstdio>

#include "shell/platform/ptc.h"
#include "shell/platform/ptc_sdl.h"
#include "shell/pixels/screen_buffer.h"

int main() {
  constexpr Pixel quadrant_colours[4] = {0x00FF2010, 0x0010E040, 0x002040FF, 0x00F0F0F0};
  ptc::SdlBackend backend;
  ptc::Console console(backend);
  console.option("fullscreen output");
  console.open("Quorvane full-screen probe", screen_width, screen_height, ptc::program_format(), 0);
  ptc::Surface surface(screen_width, screen_height, ptc::program_format());
  Pixel* pixels = surface.lock();
  for (int i = 0; i < screen_pixels; ++i) pixels[i] = quadrant_colours[(i / screen_width >= 240) * 2 + (i % screen_width >= 320)];
  surface.unlock();
  surface.copy(console);
  for (int frame = 0; !console.key(); ++frame) {
    console.update();
    if (frame == 10) std::fputs("shown\n", stderr);
    usleep(10000);
  }
  console.close();
  return 0;
}
