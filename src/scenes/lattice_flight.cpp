// The lattice flight: paths to camera to projected lines.
#include "scenes/lattice_flight.h"

namespace {

constexpr int focal_length = 320;  // pixels
constexpr int centre_x = 320;
constexpr int centre_y = 240;

}  // namespace

void lattice_flight_load(LatticeFlight& flight) {
  lattice_mesh_build(flight.mesh, lattice_point_count, 0);
  lattice_fill_grid(flight.mesh.rest);
  flight.camera = Camera{};
  flight.camera.wrap = true;
  path_load(flight.camera_path, "data/l-camera.bsp");
  path_load(flight.axis_path, "data/l-axis.bsp");
  path_load(flight.angle_path, "data/l-angle.bsp");
}

void lattice_flight_restart(LatticeFlight& flight) {
  for (SplinePath* path : {&flight.camera_path, &flight.axis_path, &flight.angle_path}) {
    path->time = 0.0;
    path->segment = 0;
  }
}

void lattice_flight_seek(LatticeFlight& flight, double time) {
  path_seek(flight.camera_path, time);
  path_seek(flight.axis_path, time);
  path_seek(flight.angle_path, time);
}

void lattice_flight_step(LatticeFlight& flight, double step, Pixel* destination) {
  flight.camera_path.step = step;
  flight.axis_path.step = step;
  flight.angle_path.step = step;
  lattice_flight_continue(flight, destination);
}

void lattice_flight_continue(LatticeFlight& flight, Pixel* destination) {
  Camera& camera = flight.camera;
  path_advance(flight.camera_path);
  camera.position = path_position(flight.camera_path);
  path_advance(flight.axis_path);
  camera.axis = camera_unit_axis(path_position(flight.axis_path));
  path_advance(flight.angle_path);
  camera.w = path_position(flight.angle_path).x;

  lattice_reset(flight.mesh);
  const Matrix4 view = camera_view_matrix(camera);
  lattice_transform(flight.mesh, view);  // view space, 16.16
  lattice_project(flight.mesh, focal_length, centre_x, centre_y);
  lattice_draw_edges(flight.mesh.projected, destination);
}
