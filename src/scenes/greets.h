// The greets scene, last: a flight through the lattice with the greetings
// picture, a ring-wave ripple, a fade to black and the closing word
// pictures, in six phases. Borrows work_b (the lattice picture), work_e,
// work_m, work_n (the greetings picture), work_l (the ripple's source map,
// filled by greets_prepare), tv_mask_picture and words_pictures 6-7.
//
// Phases, each as long as the parameter file says (scene-time units):
// 1 the flight; 2 the greetings fade in over it; 3 picture and lattice
// ripple together; 4 the ripple fades to black; 5 the first closing words
// fade in; 6 both closing words. A key ends only the phase it falls in.
#pragma once

#include <cstdint>

#include "scenes/scene.h"
#include "scenes/shared_pictures.h"
#include "shell/pixels/pixel.h"

struct ConfigReader;

constexpr char greets_parameter_file[] = "data/greets.conf";

// The values of the parameter file: the six phase lengths, in scene-time
// units, in file order; 0 where it holds nothing.
struct GreetsParameters {
  double flight = 0.0;
  double picture_fade_in = 0.0;
  double ripple = 0.0;
  double fade_out = 0.0;
  double words_fade_in = 0.0;
  double words_hold = 0.0;
};
// The parameters from an open (or failed) parameter file, in file order.
GreetsParameters greets_read_parameters(ConfigReader& reader);

// Start-up: reads the scene's files and builds its tables; keeps `shared`.
// Puts the scene back at its start values first, so a second run in the
// same process plays the same frames.
void greets_init(const SharedPictures& shared);
// Replaces what greets_init read: a test's own, before greets_run.
void greets_set_parameters(const GreetsParameters& parameters);
// After particles has run: fills the scene's index tables in shared buffers.
void greets_prepare();
// Plays the scene; returns when its time is over, a key press consumed.
void greets_run(const SceneContext& context);

// The grey level that fades a picture in over a phase: 255 (gone) at time
// 0, towards 0 (full) as `time` nears `length`. Kept within 0..255.
int greets_fade_in_level(double time, double length);
// The grey level that fades to black: 0 at time 0, towards 255 at the end.
int greets_fade_out_level(double time, double length);

// Clears a 16-pixel frame around the picture: the 16 top and bottom rows
// and the 16 leftmost and rightmost pixels of the rows between.
void greets_draw_black_border(Pixel* screen);
