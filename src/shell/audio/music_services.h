// What music start-up talks to: the audio library and the error box. The
// demo uses its one Player and show_error_box; tests put doubles in their
// place to watch the calls and capture the boxes.
#pragma once

#include "shell/audio/audio_library.h"

#include <functional>

struct MusicServices {
  AudioLibrary* library = nullptr;  // null: the demo's Player
  std::function<void(ptc::NativeWindow* owner, const char* text)> show_box;  // empty: show_error_box
};

// Replaces the services music_init, music_play and BASS_Free use from now
// on; the members left empty fall back to the real ones.
void set_music_services(MusicServices services);
