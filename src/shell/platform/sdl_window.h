// The opaque native-window handle and SDL's window, one and the same: for
// the platform's SDL files only.
#pragma once

#include "shell/platform/native_window.h"

struct SDL_Window;

namespace ptc {

inline NativeWindow* native_window_of(SDL_Window* window) { return reinterpret_cast<NativeWindow*>(window); }
inline SDL_Window* sdl_window_of(NativeWindow* window) { return reinterpret_cast<SDL_Window*>(window); }

}  // namespace ptc
