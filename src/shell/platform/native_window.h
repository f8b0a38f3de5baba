// The platform's own window, as everything above the platform sees it: an
// opaque handle, passed on as the owner of message boxes and of the audio
// output, and null where no window exists (the headless console). Only the
// platform's SDL files look inside (sdl_window.h).
#pragma once

namespace ptc {

struct NativeWindow;

}  // namespace ptc
