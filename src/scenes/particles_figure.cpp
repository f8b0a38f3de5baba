// The particles figure: arm paths, their samples, placement, projection and lines.
#include "scenes/particles_figure.h"

#include <cmath>
#include <cstdlib>

#include "render/line_draw.h"

namespace {

constexpr Vector3 arm_directions[figure_arm_count] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0},
                                                      {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
constexpr double member_reach = 2.0;    // units between the rest points of neighbouring members
constexpr double wander_reach = 4.0;    // how far a control point strays from its rest point
constexpr double sample_step = 0.4;     // sampling path time between an arm's vertices
constexpr double min_depth = 0.0001;    // nearer than this, a depth is pushed out to it

// One component of a wander: -1 .. 0.998 in steps of 0.002.
double random_unit() { return (std::rand() % 1000) * 0.002 - 1.0; }

// Three fresh draws, taken in the order x, y, z.
Vector3 random_offset() {
  const double x = random_unit();
  const double y = random_unit();
  const double z = random_unit();
  return {x, y, z};
}

SplinePath& member_path(FigureArmPaths& arms, int arm, int member) {
  return arms.members[arm * figure_arm_member_count + member];
}

void add_key(SplinePath& path, const Vector3& p, double t) { path_add_key(path, p.x, p.y, p.z, t); }

// Points the sample path at fresh keys without reallocating: the state
// path_init and four path_add_key calls would leave, in the memory it has.
void reset_sample_path(SplinePath& path, const std::array<Vector3, figure_arm_member_count>& keys) {
  for (int k = 0; k < figure_arm_member_count; ++k) {
    path.points[k] = keys[k];
    path.times[k] = k;
  }
  path.count = figure_arm_member_count;
  path.segment = 0;
  path.time = 0.0;
  path.step = sample_step;
}

void draw_vertex_line(const ParticleFigure& figure, int from, int to, Pixel* destination) {
  // Whole pixels, truncated as doubles: no conversion to int, so an end
  // point far off the screen cannot overflow; draw_line_add clips it.
  const Vector3& a = figure.vertices[from].screen;
  const Vector3& b = figure.vertices[to].screen;
  draw_line_add(std::trunc(a.x), std::trunc(a.y), std::trunc(b.x), std::trunc(b.y), figure_line_colour, destination);
}

}  // namespace

ParticleFigure figure_create() {
  ParticleFigure figure;
  figure.pose.w = 1.0;
  return figure;
}

void figure_init_arm_paths(FigureArmPaths& arms) {
  for (SplinePath& path : arms.members) path_init(path);
  for (int g = 0; g < figure_arm_count; ++g) {
    for (int m = 0; m < figure_arm_member_count; ++m) {
      add_key(member_path(arms, g, m), vec_scale(arm_directions[g], member_reach * m), 0.0);
    }
  }
  for (int g = 0; g < figure_arm_count; ++g) {
    for (int i = 1; i < figure_arm_key_count; ++i) {
      add_key(member_path(arms, g, 0), Vector3{}, i);
      for (int m = 1; m < figure_arm_member_count; ++m) {
        SplinePath& path = member_path(arms, g, m);
        add_key(path, vec_add(path.points[0], vec_scale(random_offset(), wander_reach)), i);
      }
    }
  }
  path_init(arms.sample_path);
  path_allocate_keys(arms.sample_path, figure_arm_member_count);
}

void figure_advance_arm_paths(FigureArmPaths& arms) {
  for (SplinePath& path : arms.members) path_advance(path);
}

void figure_build_arm_samples(FigureArmPaths& arms, ParticleFigure& figure) {
  for (int g = 0; g < figure_arm_count; ++g) {
    std::array<Vector3, figure_arm_member_count> keys;
    for (int m = 0; m < figure_arm_member_count; ++m) keys[m] = path_position(member_path(arms, g, m));
    reset_sample_path(arms.sample_path, keys);
    for (int s = 0; s < figure_arm_sample_count; ++s) {
      path_advance(arms.sample_path);
      figure.vertices[g * figure_arm_sample_count + s].rest = path_position(arms.sample_path);
    }
  }
}

void figure_reset(ParticleFigure& figure) {
  for (FigureVertex& v : figure.vertices) v.working = v.rest;
}

void figure_transform(ParticleFigure& figure, const Matrix4& m) {
  for (FigureVertex& v : figure.vertices) v.working = mat_transform_point(v.working, m);
}

void figure_place(ParticleFigure& figure, Camera& camera) {
  figure_reset(figure);
  camera_set_translation(figure.pose);
  camera_set_rotation(figure.pose);
  camera_combine(figure.pose);
  figure_transform(figure, figure.pose.view);
  figure_transform(figure, camera_view_matrix(camera));
}

void figure_project(ParticleFigure& figure, double scale, double cx, double cy) {
  for (FigureVertex& v : figure.vertices) {
    double& z = v.working.z;
    if (std::fabs(z) < min_depth) z = z >= 0.0 ? min_depth : -min_depth;
    if (z > 0.0) {
      v.screen = {v.working.x / z * scale + cx, v.working.y / z * scale + cy, z};
    } else {
      v.screen.z = -1.0;  // behind the camera: x and y stay where they were
    }
  }
}

void figure_draw(const ParticleFigure& figure, Pixel* destination) {
  for (int g = 0; g < figure_arm_count; ++g) {
    const int first = g * figure_arm_sample_count;
    if (g + 1 < figure_arm_count) draw_vertex_line(figure, first, first + figure_arm_sample_count, destination);
    for (int s = 0; s + 1 < figure_arm_sample_count; ++s)
      draw_vertex_line(figure, first + s, first + s + 1, destination);
  }
}
