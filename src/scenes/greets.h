// The greets scene, last: a flight through the lattice with the greetings
// picture, a ring-wave ripple, a fade to black and the closing word
// pictures, in six phases. Borrows work_b, work_e, work_l, work_m, work_n,
// tv_mask_picture and words_pictures 6-7.
#pragma once

#include "shell/scene_context.h"
#include "shell/shared_pictures.h"

// Start-up: reads the scene's files and builds its tables; keeps `shared`.
void greets_init(const SharedPictures& shared);
// After particles has run: fills the scene's index tables in shared buffers.
void greets_prepare();
// Plays the scene; returns when its time is over, a key press consumed.
void greets_run(const SceneContext& context);
