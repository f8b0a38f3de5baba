// The raycast scene, first of the sequence: the title picture as a light
// mask, three coloured lights circling and casting rays through it, blurred
// feedback seen through the tv filter, fading out. Builds the light mask in
// work_c and the ray table. Borrows work_a (the work picture, left for the
// lattice scene minus the tv mask), work_c, tv_mask_picture and ray_table.
//
// raycast_init also draws the first numbers of the C library's rand(): the
// jitter of its light paths. The later users of rand() (starwarp, particles)
// rely on seeing the sequence after these draws.
#pragma once

#include "scenes/scene.h"
#include "scenes/shared_pictures.h"

struct ConfigReader;

constexpr char raycast_parameter_file[] = "data/raycast.conf";

// The values of the parameter file; both 0 when the file cannot be read.
struct RaycastParameters {
  double duration = 0.0;  // scene length in scene-time units; also the fade-out's denominator
  double spare = 0.0;     // read and kept, used by nothing
};
// The parameters from an open (or failed) parameter file, in file order.
RaycastParameters raycast_read_parameters(ConfigReader& reader);

// Start-up: the light mask from "data/title.jpg" in work_c, the three light
// paths from "data/lightR.bsp" and their rand() jitter, the ray table, then
// the parameter file. Keeps `shared`.
void raycast_init(const SharedPictures& shared);
// Plays the scene; returns when its time is over, a key press consumed. Its
// last picture, minus tv_mask_picture, stays in work_a.
void raycast_run(const SceneContext& context);

// Replaces what raycast_init read: a test's own, before raycast_run.
void raycast_set_parameters(const RaycastParameters& parameters);

// The per-frame fade-out: the ray decay D and the darkening grey level.
struct RaycastFade {
  double decay = 1.0;  // D; the rays lose D truncated per pixel
  int grey = 0;        // subtracted from every colour byte of the work picture, 0..250
};
// One frame at scene time `time` whose timer delta is `seconds`: D grows by
// 0.625 per second; once `time` passes 10, grey and D follow
// x = (time - 10) / duration instead: grey = min(250x, 250), D = min(20x, 20).
void raycast_fade_step(RaycastFade& fade, double time, double seconds, double duration);
