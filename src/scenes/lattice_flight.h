// The flight through the endless lattice: the camera driven by three
// key-frame paths (position, orientation axis, orientation scalar w) with
// cell wrapping on, and the 16 x 16 x 16 point lattice it looks at. The
// lattice scene flies it; the starwarp scene renders one more frame of it.
//
// The angle path keeps w at 0: the cell wrap solves rotation x p = wrapped
// origin, so when the origin crosses a cell the view moves by
// rotation^-2 times a whole cell, which is a whole cell again only for a
// half turn (w = 0, rotation^2 = identity). Any other w makes the lattice
// jump at every crossing.
#pragma once

#include "data/spline_path.h"
#include "render/camera.h"
#include "render/lattice.h"
#include "shell/pixels/pixel.h"

struct LatticeFlight {
  SplinePath camera_path;  // "data/l-camera.bsp": the camera position
  SplinePath axis_path;    // "data/l-axis.bsp": the orientation axis
  SplinePath angle_path;   // "data/l-angle.bsp": its x is the orientation scalar w
  Camera camera;
  LatticeMesh mesh;
};

// Builds the lattice, resets the camera to its start values with wrapping
// on, and loads the three paths.
void lattice_flight_load(LatticeFlight& flight);

// Puts the three paths back to their start: time 0, segment 0.
void lattice_flight_restart(LatticeFlight& flight);
// Moves the three paths' cursors to `time` (path_seek).
void lattice_flight_seek(LatticeFlight& flight, double time);

// One frame of flight: every path's step becomes `step` (scene-time units),
// then lattice_flight_continue.
void lattice_flight_step(LatticeFlight& flight, double step, Pixel* destination);
// One frame of flight with the steps the paths already have: advance the
// paths, set the camera from them, and add the lattice's lines as the new
// camera sees them to the 640 x 480 pixels at `destination`.
void lattice_flight_continue(LatticeFlight& flight, Pixel* destination);
