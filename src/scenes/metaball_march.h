// The metaball field of the blobby scene and the rays marched through it.
//
// Three blobs, each a point source whose field falls off as 1 / distance,
// read from a table by the truncated squared distance so no square root is
// taken while marching. The surface is where the summed field reaches 0.25.
// Rays go from the eye through a target point and step one unit at a time.
//
// View space: the eye sits near the origin looking down -z; the blobs float
// around z = -50. Distances along a ray are in view-space units.
//
// Three marches:
// - metaball_march_grid_ray starts where the ray enters a blob's bounding
//   sphere and counts a field of exactly 0.25 as a hit;
// - metaball_march_pixel and metaball_march_normal start from a persistent
//   counter (the distance where the previous march of their kind ended, less
//   7 or 20) and need a field above 0.25. Their results depend on the order
//   in which they are made.
// Every march ends: a march takes at most metaball_march_step_limit steps, and
// a counter-started march starts within metaball_march_step_limit units of the
// eye, so a ray that never reaches the blobs' depth (pointing away, or with
// non-finite blobs) is a miss after a bounded walk and the counters stay far
// from overflow. The blobby scene's rays reach the blobs in under 100 steps.
#pragma once

#include <array>
#include <cstdint>

#include "data/vector_math.h"
#include "shell/pixels/pixel.h"

constexpr int metaball_blob_count = 3;
constexpr double metaball_blob_bounding_radius_squared = 1024.0;  // radius 32
constexpr double metaball_surface_level = 0.25;

// Falloff table entries 0..1024: entry i is min(100, 1 / sqrt(i)) below
// 1024, and 0.05 for a squared distance of 1024 and more.
constexpr int metaball_falloff_table_last = 1024;
using MetaballFalloffTable = std::array<double, metaball_falloff_table_last + 1>;

constexpr int metaball_march_step_limit = 4096;  // steps of a march, and reach of a march's start
constexpr int metaball_pixel_march_back_off = 7;
constexpr int metaball_normal_march_back_off = 20;
constexpr std::int32_t metaball_march_start_at_program_start = 10;

struct MetaballBlob {
  Vector3 centre{0.0, 0.0, -50.0};
  double radius_squared = metaball_blob_bounding_radius_squared;
  // The last metaball_sphere_test: ray direction squared, the linear and
  // constant terms of the intersection quadratic, and its discriminant.
  double a = 0.0;
  double b = 0.0;
  double cc = 0.0;
  double disc = 0.0;
};

// Marches made and unit steps taken, by kind; only counted, never reset here.
struct MetaballMarchTally {
  std::int64_t grid_marches = 0;
  std::int64_t grid_steps = 0;
  std::int64_t pixel_marches = 0;
  std::int64_t pixel_steps = 0;
  std::int64_t normal_marches = 0;
  std::int64_t normal_steps = 0;
};

// Everything a march reads or carries on: blobs and lights set by the scene
// every frame, the table built once, and the two start counters, which are
// never reset.
struct MetaballField {
  std::array<MetaballBlob, metaball_blob_count> blobs;
  std::array<Vector3, 3> lights;  // not normalised: red, green, blue channel
  MetaballFalloffTable falloff{};
  std::int32_t pixel_march_start = metaball_march_start_at_program_start;
  std::int32_t normal_march_start = metaball_march_start_at_program_start;
  MetaballMarchTally tally;
};

void metaball_falloff_table_build(MetaballFalloffTable& table);
// The table entry for a squared distance, truncated towards zero; from 1024
// on (and for a non-finite one) the last entry.
double metaball_falloff_at(const MetaballFalloffTable& table, double squared_distance);

// Ray from `eye` through `target` against the blob's bounding sphere: stores
// a, b, cc and disc in the blob; true when disc > 0. Needs target != eye.
bool metaball_sphere_test(const Vector3& eye, const Vector3& target, MetaballBlob& blob);
// Where the ray enters the sphere; the blob's last metaball_sphere_test must be
// of this ray and have hit.
Vector3 metaball_sphere_entry(const Vector3& eye, const Vector3& target, const MetaballBlob& blob);

// March for the coarse grid, from the farther of blob 1's and blob 2's
// sphere entries (metaball_sphere_test of this ray done on both): the point
// where the field reaches 0.25, or (0, 0, 0) once the ray passes any blob's
// depth.
Vector3 metaball_march_grid_ray(MetaballField& field, const Vector3& eye, const Vector3& target);
// The lit colour of the surface along the ray, 0 for a miss.
Pixel metaball_march_pixel(MetaballField& field, const Vector3& eye, const Vector3& target);
// The unit surface normal along the ray, (0, 0, 0) for a miss.
Vector3 metaball_march_normal(MetaballField& field, const Vector3& eye, const Vector3& target);

// Each channel is 64 x (n . light)^2, limited to 0..255 and truncated: light
// 1 gives red, 2 green, 3 blue. n is used as given (blends are not unit).
Pixel metaball_shade_normal(const std::array<Vector3, 3>& lights, const Vector3& n);
