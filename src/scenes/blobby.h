// The blobby scene, fifth, after the transition picture: three metaballs
// swing around each other and merge under three circling lights (one per
// colour channel), with a white wire grid of the sample rays over them; the
// picture is blurred and seen through the tv filter, and two word pictures
// and two single-frame flash pictures appear at set moments.
//
// Renders with the metaball caster (metaball_caster.h), whose falloff table
// blobby_init builds. Borrows work_a (the shaded blobs), work_c (the wire,
// then scratch for the words), work_d (their sum), tv_mask_picture,
// words_pictures 4-5 and sublim_pictures 4-5; leaves nothing for later scenes.
#pragma once

#include "scenes/metaball_caster.h"
#include "scenes/scene.h"
#include "scenes/shared_pictures.h"

// Start-up: builds the falloff table, places the blobs and lights, reads
// "data/blobby.conf"; keeps `shared`.
void blobby_init(const SharedPictures& shared);
// The same with the parameter file at `parameter_path`.
void blobby_init(const SharedPictures& shared, const char* parameter_path);
// Plays the scene; returns when its time is over, a key press consumed.
void blobby_run(const SceneContext& context);

// Places the three blob centres and the three lights for motion phase
// `theta` (radians; it grows by 0.322 per second of the scene).
void blobby_pose(MetaballField& field, double theta);
