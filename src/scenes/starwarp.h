// The starwarp scene, third: the lattice picture torn apart in the warp
// feedback, seeded by two lines of palette colours that stream outward like
// stars; then the warp turns as it zooms and the streaks swirl. Word
// pictures fade in during the straight warp, flash pictures show for one
// frame each during the spin.
//
// Tables: the warp table in work_m (starwarp_warp.h), built at start-up; the
// spin table in work_b, the warp table mapped onto a turning square
// (map_quad.h) every spin frame. Borrows work_a (the feedback picture, which
// starts as one further lattice frame), work_b (after the lattice scene drew
// into it), work_c (scratch), work_l (the seed palette "data/starwarp.jpg"),
// tv_mask_picture, words_pictures 0-1 and sublim_pictures 0-1.
#pragma once

#include "scenes/scene.h"
#include "scenes/shared_pictures.h"

struct ConfigReader;

constexpr char starwarp_parameter_file[] = "data/starwarp.conf";

// The values of the parameter file; 0 where the file cannot be read.
struct StarwarpParameters {
  double warp_duration = 0.0;  // straight warp, scene-time units; also the spin's first seed column
  double spin_duration = 0.0;  // spin, scene-time units
  double spare = 0.0;          // read and kept, used by nothing
};
// The parameters from an open (or failed) parameter file, in file order.
StarwarpParameters starwarp_read_parameters(ConfigReader& reader);

// Start-up, after lattice_init: builds the warp table (drawing from rand()),
// loads the seed palette and reads the parameter file. Keeps `shared`.
void starwarp_init(const SharedPictures& shared);
// Plays the scene right after lattice_run; returns when its time is over,
// a key press consumed. A key ends the straight warp and the spin alike.
void starwarp_run(const SceneContext& context);

// Replaces what starwarp_init read: a test's own, before starwarp_run.
void starwarp_set_parameters(const StarwarpParameters& parameters);
