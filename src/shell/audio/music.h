// The soundtrack: start-up and playback of "data/trumbel.it". Errors are
// shown to the user and otherwise ignored; the demo goes on silently.
#pragma once

#include "shell/platform/native_window.h"

// Called right after the console opens: audio device, start, module load.
void music_init(ptc::NativeWindow* window);
// Called after every scene is initialised: starts the module.
void music_play(ptc::NativeWindow* window);
// Called at the end of the run on every path: stops playback, closes the
// audio device, frees the module.
void BASS_Free();
