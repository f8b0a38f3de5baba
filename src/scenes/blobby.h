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

struct ConfigReader;

constexpr char blobby_parameter_file[] = "data/blobby.conf";

// The values of the parameter file; 0 where it holds nothing.
struct BlobbyParameters {
  double duration = 0.0;  // scene-time units
  double spare = 0.0;     // read and kept, used by nothing
};
// The parameters from an open (or failed) parameter file, in file order.
BlobbyParameters blobby_read_parameters(ConfigReader& reader);

// Start-up: builds the falloff table, places the blobs and lights, reads the
// parameter file; keeps `shared`.
void blobby_init(const SharedPictures& shared);
// Replaces what blobby_init read: a test's own, before blobby_run.
void blobby_set_parameters(const BlobbyParameters& parameters);
// Plays the scene; returns when its time is over, a key press consumed. The
// key is tested once before its loop and then at the end of every frame.
void blobby_run(const SceneContext& context);

// Places the three blob centres and the three lights for motion phase
// `theta` (radians; it grows by 0.322 per second of the scene).
void blobby_pose(MetaballField& field, double theta);
