// The raycast scene, first of the sequence: the title picture as a light
// mask, three coloured lights circling and casting rays through it, blurred
// feedback seen through the tv filter. Borrows work_a (the work picture, left
// for lattice), work_c (the light mask), tv_mask_picture and ray_table.
#pragma once

#include "shell/scene_context.h"
#include "shell/shared_pictures.h"

// Start-up: reads the scene's files and builds its tables; keeps `shared`.
void raycast_init(const SharedPictures& shared);
// Plays the scene; returns when its time is over, a key press consumed.
void raycast_run(const SceneContext& context);
