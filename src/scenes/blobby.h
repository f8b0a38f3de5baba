// The blobby scene, fifth, after the transition picture: three ray-marched
// metaballs under circling coloured lights, blurred and seen through the tv
// filter. Borrows work_a, work_c, work_d, tv_mask_picture, words_pictures 4-5
// and sublim_pictures 4-5.
#pragma once

#include "shell/scene_context.h"
#include "shell/shared_pictures.h"

// Start-up: reads the scene's files and builds its tables; keeps `shared`.
void blobby_init(const SharedPictures& shared);
// Plays the scene; returns when its time is over, a key press consumed.
void blobby_run(const SceneContext& context);
