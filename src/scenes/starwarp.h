// The starwarp scene, third: the lattice picture torn apart in the warp
// feedback, then spun; word and flash pictures. Borrows work_a, work_b,
// work_c, work_l, work_m (its warp table), tv_mask_picture, words_pictures
// 0-1 and sublim_pictures 0-1.
#pragma once

#include "shell/scene_context.h"
#include "shell/shared_pictures.h"

// Start-up: reads the scene's files and builds its tables; keeps `shared`.
void starwarp_init(const SharedPictures& shared);
// Plays the scene; returns when its time is over, a key press consumed.
void starwarp_run(const SceneContext& context);
