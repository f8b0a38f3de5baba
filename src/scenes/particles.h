// The particles scene, fourth: a wandering wire figure with warped,
// colour-fringed trails and a scrolling snapshot strip. Borrows work_b (the
// feedback picture F), work_e (the work picture W, and word-flash scratch),
// work_c (the warp map M), work_m (the row-shift table U), work_l (the
// source map C), work_d (the frozen still Z), tv_mask_picture,
// words_pictures 2-3 and sublim_pictures 2-3.
//
// Two phases, each as long as data/particles.conf says (scene-time units):
// 1 the live view under scan lines, toggled to and from a frozen still in
// full colour at five moments (the fifth also stops the simulation), with
// the two word pictures; 2 the live view only, in full colour. A key ends
// only the phase it falls in.
//
// Memory: start-up allocates the arm paths, the sample path and the
// snapshot ring; the frame loops allocate nothing.
#pragma once

#include <array>

#include "scenes/scene.h"
#include "scenes/shared_pictures.h"
#include "shell/pixels/pixel.h"

struct ConfigReader;

constexpr char particles_parameter_file[] = "data/particles.conf";
constexpr int particles_freeze_count = 5;

// The values of the parameter file (0 where it holds nothing).
struct ParticlesParameters {
  double phase1_length = 0.0;  // scene-time units
  double phase2_length = 0.0;  // scene-time units
  double spare_value = 0.0;    // read, never used
  // Live/frozen toggles of the first phase; the last also stops its simulation.
  std::array<double, particles_freeze_count> freeze_times{};
};
// The parameters from an open (or failed) parameter file, in file order.
ParticlesParameters particles_read_parameters(ConfigReader& reader);

// Start-up: reads the scene's files and builds its tables; keeps `shared`.
// Puts the scene back at its start values first, so a second run in the
// same process plays the same frames. Draws 5,400 rand() numbers for the arms.
void particles_init(const SharedPictures& shared);
// Replaces what particles_init read: a test's own, before particles_run.
void particles_set_parameters(const ParticlesParameters& parameters);
// After starwarp has run: fills the scene's index tables in shared buffers
// (U, and M as the identity) and clears F and W.
void particles_prepare();
// Plays the scene; returns when its time is over, a key press consumed.
void particles_run(const SceneContext& context);

// One frame of the second phase, without its flash picture: the figure and
// the feedback move on by `dt` scene-time units and `screen` gets the
// picture in full colour. For benchmarks; needs init and prepare.
void particles_live_frame(double dt, Pixel* screen);
