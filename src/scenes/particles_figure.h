// The particles scene's wire figure: six arms whose control points wander
// along random key-frame paths, sampled into 30 vertices, placed in front of
// a fixed camera, projected and drawn as 29 white lines.
//
// Spaces: a vertex's `rest` is figure space (arms leave the origin along
// +-x, +-y, +-z), `working` is view space after the figure's pose and the
// camera, `screen` is pixels (x, y) and the view-space depth (-1 behind the
// camera).
//
// Nothing here allocates once figure_init_arm_paths has run: the frame functions
// only rewrite memory that start-up set aside.
#pragma once

#include <array>

#include "data/spline_path.h"
#include "data/vector_math.h"
#include "render/camera.h"
#include "shell/pixels/pixel.h"

constexpr int figure_arm_count = 6;
constexpr int figure_arm_member_count = 4;  // paths per arm: the hub and three control points
constexpr int figure_arm_path_count = figure_arm_count * figure_arm_member_count;
constexpr int figure_arm_key_count = 101;   // keys at times 0, 1, ..., 100
constexpr int figure_arm_sample_count = 5;  // vertices per arm
constexpr int figure_vertex_count = figure_arm_count * figure_arm_sample_count;
constexpr int figure_line_count = 29;
constexpr Pixel figure_line_colour = 0x00FFFFFF;

// The projection the scene uses: focal length and centre, in pixels.
constexpr double figure_focal = 320.0;
constexpr double figure_centre_x = 320.0;
constexpr double figure_centre_y = 240.0;

struct FigureVertex {
  Vector3 rest;     // figure space
  Vector3 working;  // view space after figure_place
  Vector3 screen;   // x, y in pixels; z the depth, -1 behind the camera
};

struct ParticleFigure {
  // Vertex 5g + s is sample s of arm g.
  std::array<FigureVertex, figure_vertex_count> vertices{};
  // The figure's placement, built the way a camera builds its view matrix:
  // `position` and `axis` set every frame, w fixed at 1, so directions
  // across the axis are turned and scaled by sqrt 5. Its `view` is the
  // combined matrix: rest point p goes to rotation x p - position.
  Camera pose;
};

struct FigureArmPaths {
  // Arm g owns members 4g .. 4g + 3; member 0 stays at the origin.
  std::array<SplinePath, figure_arm_path_count> members;
  // The four-key path each arm is sampled through, kept from start-up and
  // rewritten for every arm, so that sampling never allocates.
  SplinePath sample_path;
};

// A figure with every vertex at the origin and the pose's w at 1.
ParticleFigure figure_create();

// Builds the 24 arm paths: key 0 at the rest points 0, 2, 4 and 6 units out
// along the arm's direction (+x, -x, +y, -y, +z, -z), then keys 1..100 at
// the rest point plus 4 (rx, ry, rz) with each r = (rand() % 1000) x 0.002
// - 1. Draws 5,400 rand() numbers (6 arms x 100 keys x 3 members x 3 axes):
// arm by arm, key by key, member 1 to 3, x y z.
void figure_init_arm_paths(FigureArmPaths& arms);

// path_advance on every member path.
void figure_advance_arm_paths(FigureArmPaths& arms);

// For each arm: a uniform B-spline through its four members' current
// points at times 0, 1, 2, 3, sampled at 0.4, 0.8, 1.2, 1.6 and 2.0 into the
// rest positions of the arm's five vertices.
void figure_build_arm_samples(FigureArmPaths& arms, ParticleFigure& figure);

// working := rest for every vertex.
void figure_reset(ParticleFigure& figure);

// working := m x working for every vertex.
void figure_transform(ParticleFigure& figure, const Matrix4& m);

// The whole placement: reset, the figure's pose (from pose.position and
// pose.axis, the axis normalised in place), then the camera's view.
void figure_place(ParticleFigure& figure, Camera& camera);

// Screen positions from working positions: a depth z with |z| < 0.0001 is
// pushed out to +-0.0001 (and kept), a vertex with z > 0 goes to
// (x / z scale + cx, y / z scale + cy, z); one behind the camera only gets
// depth -1 and keeps its previous x and y.
void figure_project(ParticleFigure& figure, double scale, double cx, double cy);

// The 29 lines, added in white: for each arm its first vertex to the next
// arm's first vertex (arms 0..4), then the arm's chain of five. End points
// are the screen positions truncated towards zero; the depth is ignored.
void figure_draw(const ParticleFigure& figure, Pixel* destination);
