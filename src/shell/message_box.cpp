// Error messages for the user, on SDL's simple message box or standard error.
#include "shell/message_box.h"

#include <SDL.h>

#include <cstdio>

void show_error_box(SDL_Window* owner, const char* text) {
  if (owner != nullptr && SDL_WasInit(SDL_INIT_VIDEO) != 0 &&
      SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Error", text, owner) == 0) {
    return;
  }
  std::fprintf(stderr, "Error: %s\n", text);
}
