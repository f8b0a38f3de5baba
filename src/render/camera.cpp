// Camera matrices and the lattice-cell wrap.
#include "render/camera.h"

#include <cmath>

namespace {

// The rotation rows and columns 0..2 built from a (normalised) axis and w.
struct Rotation3 {
  double r[3][3];
};

Rotation3 rotation_entries(const Vector3& axis, double w) {
  const double x = axis.x, y = axis.y, z = axis.z;
  return {{{1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w)},
           {2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w)},
           {2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y)}}};
}

double determinant(const double m[3][3]) {
  return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
         m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

// Normalises in place when the axis has a direction; reports whether it had.
bool normalize_axis(Vector3& axis) {
  const double length = vec_length(axis);
  if (!(length > 0.0) || !std::isfinite(length)) return false;
  vec_normalize(axis);
  return true;
}

// Solves R p = b by Cramer's rule; false when R is singular or the solution
// is not finite.
bool solve_cramer(const Rotation3& rotation, const Vector3& b, Vector3& p) {
  const double d = determinant(rotation.r);
  if (d == 0.0 || !std::isfinite(d)) return false;
  const double right[3] = {b.x, b.y, b.z};
  double solution[3];
  for (int column = 0; column < 3; ++column) {
    double replaced[3][3];
    for (int row = 0; row < 3; ++row) {
      for (int c = 0; c < 3; ++c) replaced[row][c] = c == column ? right[row] : rotation.r[row][c];
    }
    solution[column] = determinant(replaced) / d;
  }
  p = {solution[0], solution[1], solution[2]};
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

bool within_box(double v) { return v >= -1.0 && v <= 2.0; }

}  // namespace

void camera_set_translation(Camera& camera) {
  camera.translation = mat_identity();
  camera.translation.at(0, 3) = -camera.position.x;
  camera.translation.at(1, 3) = -camera.position.y;
  camera.translation.at(2, 3) = -camera.position.z;
}

void camera_set_rotation(Camera& camera) {
  // A zero axis is left alone: its entries below reduce to the identity.
  normalize_axis(camera.axis);
  const Rotation3 r = rotation_entries(camera.axis, camera.w);
  camera.rotation = mat_identity();
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) camera.rotation.at(row, column) = r.r[row][column];
  }
}

void camera_combine(Camera& camera) { camera.view = mat_mul(camera.translation, camera.rotation); }

double camera_wrap_unit(double value) {
  // Closed forms rather than loops, which would never end for huge values.
  // Whole units added to or taken from a value of magnitude 1 or more are
  // exact, so one addition or subtraction equals the repeated ones; below 1
  // there is a single step either way.
  if (value > 1.0) return value - std::ceil(value - 1.0);
  if (value < 0.0) return value + std::ceil(-value);
  return value;
}

void camera_wrap_cell(Camera& camera) {
  // The world origin in view space.
  const Vector3 origin{camera.view.at(0, 3), camera.view.at(1, 3), camera.view.at(2, 3)};
  if (within_box(origin.x) && within_box(origin.y) && within_box(origin.z)) return;
  if (!std::isfinite(origin.x) || !std::isfinite(origin.y) || !std::isfinite(origin.z)) return;
  const Vector3 wrapped{camera_wrap_unit(origin.x), camera_wrap_unit(origin.y), camera_wrap_unit(origin.z)};
  if (!normalize_axis(camera.axis)) return;
  Vector3 p;
  if (!solve_cramer(rotation_entries(camera.axis, camera.w), wrapped, p)) return;
  camera.position = vec_scale(p, -1.0);
  camera_set_translation(camera);
  camera_combine(camera);
}

Vector3 camera_unit_axis(Vector3 axis) {
  if (vec_length(axis) > 0.0) vec_normalize(axis);
  return axis;
}

Matrix4 camera_view_matrix(Camera& camera) {
  camera_set_translation(camera);
  camera_set_rotation(camera);
  camera_combine(camera);
  if (camera.wrap) camera_wrap_cell(camera);
  return camera.view;
}
