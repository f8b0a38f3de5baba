// The lattice scene, second: a cross-fade from the raycast scene's last
// picture, then a flight through the endless point lattice (lattice_flight.h)
// whose lines glow in a darkened, blurred feedback picture, with four
// portraits sharpening into view and dissolving at their moments. Borrows
// work_a (read), work_b (the draw buffer, left for starwarp), work_e,
// work_j, portrait_1 to portrait_4 (filled at start-up) and tv_mask_picture.
#pragma once

#include <array>

#include "scenes/scene.h"
#include "scenes/shared_pictures.h"

struct ConfigReader;

constexpr char lattice_parameter_file[] = "data/lattice.conf";

// The values of the parameter file, all whole scene-time units or screen
// rows; 0 where the file cannot be read.
struct LatticeParameters {
  int transition = 0;       // length of the opening cross-fade
  int duration = 0;         // length of the main part, after the opening
  int portrait_window = 0;  // blur passes as a portrait sharpens and dissolves
  struct Portrait {
    int spare = 0;  // read and kept, used by nothing
    int row = 0;    // top screen row
    int time = 0;   // its moment, in main-part time
  };
  std::array<Portrait, 4> portraits{};
};
// The parameters from an open (or failed) parameter file, in file order.
LatticeParameters lattice_read_parameters(ConfigReader& reader);

// Start-up: the lattice and its camera, the three paths, the portraits
// ("data/ramblekin.bmp", "data/quib.bmp", "data/dorvan.bmp", "data/pelk.bmp"
// into portrait_1 to portrait_4) and the parameter file. Keeps `shared`.
void lattice_init(const SharedPictures& shared);
// Plays the opening and the main part; returns when its time is over, a key
// press consumed. A key that ends the opening is consumed there and does not
// end the main part.
void lattice_run(const SceneContext& context);

// Called by the starwarp scene before its first frame: one further frame of
// the flight as lattice_run left it, each path advancing by the step of the
// last frame. Clears work_b, draws the lattice into it and blurs it into
// the 640 x 480 `destination`.
void lattice_render_frame(Pixel* destination);

// Replaces what lattice_init read: a test's own, before lattice_run.
void lattice_set_parameters(const LatticeParameters& parameters);
