// The metaball field, bounding spheres, the three marches and the shading.
#include "scenes/metaball_march.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double falloff_at_centre = 100.0;
constexpr double falloff_beyond_reach = 0.05;
constexpr unsigned channel_limit = 255;

double squared_distance(const Vector3& p, const Vector3& q) {
  const double dx = p.x - q.x, dy = p.y - q.y, dz = p.z - q.z;
  return dx * dx + dy * dy + dz * dz;
}

// The three blobs' field values at one point, and their sum.
struct FieldSample {
  std::array<double, metaball_blob_count> part{};
  double sum = 0.0;
};

FieldSample sample_field(const MetaballField& field, const Vector3& p) {
  FieldSample sample;
  for (int k = 0; k < metaball_blob_count; ++k) {
    sample.part[k] = metaball_falloff_at(field.falloff, squared_distance(p, field.blobs[k].centre));
  }
  sample.sum = sample.part[0] + sample.part[1] + sample.part[2];
  return sample;
}

Vector3 direction(const Vector3& eye, const Vector3& target) {
  Vector3 u = vec_sub(target, eye);
  vec_normalize(u);
  return u;
}

// The unit vector along v, or (0, 0, 0) for a zero vector, which has no
// direction (a point exactly at a blob's centre).
Vector3 unit_or_zero(const Vector3& v) {
  const double length = vec_length(v);
  if (!(length > 0.0)) return {};
  return vec_div(v, length);
}

// Field-weighted blend of the directions from the centres to p, made unit.
Vector3 surface_normal(const MetaballField& field, const Vector3& p, const FieldSample& sample) {
  Vector3 n;
  for (int k = 0; k < metaball_blob_count; ++k) {
    const Vector3 outward = unit_or_zero(vec_sub(p, field.blobs[k].centre));
    n = vec_add(n, vec_div(vec_scale(outward, sample.part[k]), sample.sum));
  }
  return unit_or_zero(n);
}

struct SurfaceMarch {
  bool hit = false;
  Vector3 normal;
};

// The march metaball_march_pixel and metaball_march_normal share. The start
// counter is lowered by `back_off` and the march starts that far along the ray;
// it ends at the distance reached. Only blob 1's and blob 3's depths end it.
SurfaceMarch march_surface(MetaballField& field, const Vector3& eye, const Vector3& target, std::int32_t& start_counter,
                           int back_off, std::int64_t& marches, std::int64_t& steps_taken) {
  // Held within reach of the eye so the counter cannot run away.
  const auto start = static_cast<std::int32_t>(std::clamp<std::int64_t>(
      static_cast<std::int64_t>(start_counter) - back_off, -metaball_march_step_limit, metaball_march_step_limit));
  const Vector3 u = direction(eye, target);
  Vector3 p = vec_add(eye, vec_scale(u, start));
  const double last_depth = std::max(field.blobs[0].centre.z, field.blobs[2].centre.z);
  FieldSample sample;
  int steps = 0;
  while (sample.sum < metaball_surface_level && p.z > last_depth && steps < metaball_march_step_limit) {
    p = vec_add(p, u);
    ++steps;
    sample = sample_field(field, p);
  }
  start_counter = start + steps;
  ++marches;
  steps_taken += steps;

  SurfaceMarch result;
  result.hit = sample.sum > metaball_surface_level;  // strictly above
  if (result.hit) result.normal = surface_normal(field, p, sample);
  return result;
}

unsigned light_channel(const Vector3& n, const Vector3& light) {
  const double dot = vec_dot(n, light);
  const double value = 64.0 * dot * dot;
  if (!(value > 0.0)) return 0;  // also a non-finite normal
  if (value >= channel_limit) return channel_limit;
  return static_cast<unsigned>(value);  // truncated
}

}  // namespace

void metaball_falloff_table_build(MetaballFalloffTable& table) {
  table[0] = falloff_at_centre;
  for (int i = 1; i < metaball_falloff_table_last; ++i) {
    table[i] = std::min(falloff_at_centre, 1.0 / std::sqrt(static_cast<double>(i)));
  }
  table[metaball_falloff_table_last] = falloff_beyond_reach;
}

double metaball_falloff_at(const MetaballFalloffTable& table, double squared_distance) {
  // Squared distances are never negative; the comparison also sends NaN and
  // every distance too large for an int to the last entry.
  const int index =
      squared_distance < metaball_falloff_table_last ? static_cast<int>(squared_distance) : metaball_falloff_table_last;
  return table[index];
}

bool metaball_sphere_test(const Vector3& eye, const Vector3& target, MetaballBlob& blob) {
  const Vector3 d = vec_sub(target, eye);
  const Vector3& c = blob.centre;
  blob.a = vec_dot(d, d);
  blob.b = 2.0 * vec_dot(d, vec_sub(eye, c));
  blob.cc = vec_dot(c, c) + vec_dot(eye, eye) - 2.0 * vec_dot(c, eye) - blob.radius_squared;
  blob.disc = blob.b * blob.b - 4.0 * blob.a * blob.cc;
  return blob.disc > 0.0;
}

Vector3 metaball_sphere_entry(const Vector3& eye, const Vector3& target, const MetaballBlob& blob) {
  const double t = (-blob.b - std::sqrt(blob.disc)) / (2.0 * blob.a);
  return vec_add(eye, vec_scale(vec_sub(target, eye), t));
}

Vector3 metaball_march_grid_ray(MetaballField& field, const Vector3& eye, const Vector3& target) {
  const Vector3 entry_1 = metaball_sphere_entry(eye, target, field.blobs[0]);
  const Vector3 entry_2 = metaball_sphere_entry(eye, target, field.blobs[1]);
  Vector3 p = entry_1.z < entry_2.z ? entry_1 : entry_2;
  const Vector3 u = direction(eye, target);
  const double last_depth = std::max({field.blobs[0].centre.z, field.blobs[1].centre.z, field.blobs[2].centre.z});
  double sum = 0.0;
  int steps = 0;
  while (sum < metaball_surface_level && p.z > last_depth && steps < metaball_march_step_limit) {
    p = vec_add(p, u);
    ++steps;
    sum = sample_field(field, p).sum;
  }
  ++field.tally.grid_marches;
  field.tally.grid_steps += steps;
  return sum >= metaball_surface_level ? p : Vector3{};  // exactly 0.25 counts
}

Pixel metaball_march_pixel(MetaballField& field, const Vector3& eye, const Vector3& target) {
  const SurfaceMarch march = march_surface(field, eye, target, field.pixel_march_start, metaball_pixel_march_back_off,
                                           field.tally.pixel_marches, field.tally.pixel_steps);
  return march.hit ? metaball_shade_normal(field.lights, march.normal) : 0;
}

Vector3 metaball_march_normal(MetaballField& field, const Vector3& eye, const Vector3& target) {
  return march_surface(field, eye, target, field.normal_march_start, metaball_normal_march_back_off,
                       field.tally.normal_marches, field.tally.normal_steps)
      .normal;
}

Pixel metaball_shade_normal(const std::array<Vector3, 3>& lights, const Vector3& n) {
  return pixel_rgb(light_channel(n, lights[0]), light_channel(n, lights[1]), light_channel(n, lights[2]));
}
