// The greets flight along the committed key-frame paths: with the camera's
// cell wrap, the lattice it shows must glide, never jump, when the camera
// crosses from one lattice cell into the next.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "data/config_reader.h"
#include "data/spline_path.h"
#include "render/camera.h"

namespace {

// Phases 1 to 4 of data/greets.conf, in scene-time units: the camera's flight.
double committed_flight_length() {
  ConfigReader reader;
  double flight = 0.0;
  if (!config_open(reader, "data/greets.conf")) return flight;
  for (int phase = 0; phase < 4; ++phase) {
    double length = 0.0;
    config_read_double(reader, length);
    flight += length;
  }
  return flight;
}

double determinant3(const Matrix4& m, int replaced_column, const double* column) {
  auto at = [&](int r, int c) { return c == replaced_column ? column[r] : m.at(r, c); };
  return at(0, 0) * (at(1, 1) * at(2, 2) - at(1, 2) * at(2, 1)) - at(0, 1) * (at(1, 0) * at(2, 2) - at(1, 2) * at(2, 0)) +
         at(0, 2) * (at(1, 0) * at(2, 1) - at(1, 1) * at(2, 0));
}

// The view maps lattice point x to A x + t (A the upper 3 x 3 of the view):
// the lattice seen is A (Z^3 + u) with u = A^-1 t. Its whole part changes
// when the camera crosses a cell; its fractional part must move smoothly.
Vector3 lattice_offset(const Matrix4& view) {
  const double t[3] = {view.at(0, 3), view.at(1, 3), view.at(2, 3)};
  const double d = determinant3(view, -1, t);
  return {determinant3(view, 0, t) / d, determinant3(view, 1, t) / d, determinant3(view, 2, t) / d};
}

// Distance between two offsets on the unit circle of one cell.
double cell_distance(double a, double b) {
  const double d = std::abs((a - std::floor(a)) - (b - std::floor(b)));
  return std::min(d, 1.0 - d);
}

TEST(GreetsFlight, TheWrappedLatticeGlidesThroughEveryCellCrossing) {
  const double flight = committed_flight_length();
  ASSERT_GT(flight, 0.0) << "data/greets.conf";
  SplinePath location;
  SplinePath axis;
  path_load(location, "data/g-camera.bsp");
  path_load(axis, "data/g-axis.bsp");
  Camera camera;
  camera.wrap = true;
  const double step = 6.25 / 60;  // 60 frames per second

  int crossings = 0;
  Vector3 previous{};
  Matrix4 previous_view{};
  for (int frame = 0; frame * step < flight; ++frame) {
    location.step = step;
    axis.step = step;
    path_advance(location);
    path_advance(axis);
    camera.position = path_position(location);
    camera.axis = path_position(axis);
    const Matrix4 view = camera_view_matrix(camera);
    const Vector3 offset = lattice_offset(view);
    if (frame > 0) {
      const double glide = std::max({cell_distance(offset.x, previous.x), cell_distance(offset.y, previous.y),
                                     cell_distance(offset.z, previous.z)});
      EXPECT_LT(glide, 0.1) << "frame " << frame << ": the lattice jumped by " << glide << " of a cell";
      double turn = 0.0;
      for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) turn = std::max(turn, std::abs(view.at(r, c) - previous_view.at(r, c)));
      }
      EXPECT_LT(turn, 0.1) << "frame " << frame << ": the view turned abruptly";
      if (std::abs(offset.x - previous.x) > 0.5 || std::abs(offset.y - previous.y) > 0.5 ||
          std::abs(offset.z - previous.z) > 0.5) {
        ++crossings;
      }
    }
    previous = offset;
    previous_view = view;
    if (HasFailure()) break;
  }
  EXPECT_GT(crossings, 10) << "the flight should cross many cells";
}

}  // namespace
