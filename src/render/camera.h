// The camera: turns a position and an orientation into the view matrix the
// 3D scenes transform their points with, and can hold itself inside one
// cell of an endless lattice.
//
// The orientation is a quaternion given as an axis (normalised before use)
// and a scalar part w that is never normalised, so with w != 0 the rotation
// is not orthonormal. view = translation x rotation: a point p goes to
// rotation x p - position in view space.
//
// Scenes set position, axis and w each frame, then call camera_view_matrix
// or the four steps set_translation, set_rotation, combine, wrap_cell in
// that order. A camera reset to its start values is simply Camera{}.
#pragma once

#include "data/vector_math.h"

struct Camera {
  Vector3 position{0.5, 0.5, 0.0};
  Matrix4 translation;  // identity with translation column -position
  Matrix4 view;         // translation x rotation
  Matrix4 rotation;     // built from (axis, w)
  Vector3 axis{0.0, 0.0, 1.0};  // vector part of the orientation
  double w = 0.0;               // scalar part of the orientation
  bool wrap = false;            // keep the world origin near the viewer (camera_wrap_cell)
};

// translation = identity with column 3 = -position.
void camera_set_translation(Camera& camera);
// Normalises axis in place and builds rotation from (axis, w). A zero-length
// axis stays as it is and gives the identity rotation.
void camera_set_rotation(Camera& camera);
// view = translation x rotation.
void camera_combine(Camera& camera);
// When the world origin in view space (the translation column of view)
// leaves the box -1..2 in any axis, moves the camera so that the origin
// comes back inside the unit cell. Needs an up-to-date view and rotation.
// A zero-length axis, a singular rotation or a non-finite origin leaves the
// camera as it was.
void camera_wrap_cell(Camera& camera);
// The four steps above (wrap_cell only when wrap is set); returns view.
Matrix4 camera_view_matrix(Camera& camera);

// An axis from a path, scaled to unit length for the camera. A zero axis (a
// path without keys) has no direction: it stays zero, which the camera
// takes as no rotation, rather than being divided into NaNs.
Vector3 camera_unit_axis(Vector3 axis);

// The unit-cell wrap of one view-space coordinate: a value above 1 loses
// whole units until it is at most 1, a value below 0 gains whole units until
// it is at least 0, the same result as subtracting or adding 1 repeatedly.
// Takes a finite value.
double camera_wrap_unit(double value);
