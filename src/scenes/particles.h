// The particles scene, fourth: a wandering wire figure with warped,
// colour-fringed trails and a scrolling snapshot strip. Borrows work_b,
// work_c, work_d, work_e, work_l, work_m, tv_mask_picture, words_pictures
// 2-3 and sublim_pictures 2-3.
#pragma once

#include "shell/scene_context.h"
#include "shell/shared_pictures.h"

// Start-up: reads the scene's files and builds its tables; keeps `shared`.
void particles_init(const SharedPictures& shared);
// After starwarp has run: fills the scene's index tables in shared buffers.
void particles_prepare();
// Plays the scene; returns when its time is over, a key press consumed.
void particles_run(const SceneContext& context);
