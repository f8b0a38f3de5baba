// The lattice scene, second: a cross-fade from raycast's last picture, then
// a flight through the endless point lattice with the four portraits. Borrows
// work_a, work_b (left for starwarp), work_e, work_j, portrait_1 to
// portrait_4 and tv_mask_picture.
#pragma once

#include "shell/scene_context.h"
#include "shell/shared_pictures.h"

// Start-up: reads the scene's files and builds its tables; keeps `shared`.
void lattice_init(const SharedPictures& shared);
// Plays the scene; returns when its time is over, a key press consumed.
void lattice_run(const SceneContext& context);
