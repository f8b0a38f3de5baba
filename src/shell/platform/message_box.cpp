// Error messages for the user, on SDL's simple message box or standard error.
#include "shell/platform/message_box.h"

#include <SDL.h>

#include "shell/platform/sdl_window.h"

#include <cstdio>
#include <cstring>

namespace {

// A display a user can see: video is up on a driver other than the ones
// that draw to nowhere.
bool display_is_up() {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return false;
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver != nullptr && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
}

}  // namespace

void show_error_box(ptc::NativeWindow* owner, const char* text) {
  if (owner != nullptr && SDL_WasInit(SDL_INIT_VIDEO) != 0 &&
      SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Error", text, ptc::sdl_window_of(owner)) == 0) {
    return;
  }
  std::fprintf(stderr, "Error: %s\n", text);
}

void report_fatal_error(const char* text) {
  std::fprintf(stderr, "Error: %s\n", text);
  std::fflush(stderr);
  if (display_is_up()) SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Error", text, nullptr);
}
