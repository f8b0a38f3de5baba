// Key-frame paths: loading, cursor movement and B-spline evaluation.
#include "data/spline_path.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "data/config_reader.h"

namespace {

// Keys that both arrays really hold, whatever `count` says.
int usable_keys(const SplinePath& path) {
  const std::size_t held = std::min(path.points.size(), path.times.size());
  return static_cast<int>(std::min<std::size_t>(std::max(path.count, 0), held));
}

// The current segment kept within 0 .. keys - 2: both its end keys exist.
int clamped_segment(const SplinePath& path, int keys) { return std::clamp(path.segment, 0, keys - 2); }

// The curve parameter within segment s: 0 at its first key, 1 at its second.
// A segment whose times do not increase has no parameter; it is taken at 0.
double segment_parameter(const SplinePath& path, int s) {
  const double span = path.times[s + 1] - path.times[s];
  const double u = (path.time - path.times[s]) / span;
  return span > 0.0 && std::isfinite(u) ? u : 0.0;
}

double basis_weight(const Matrix4& basis, int k, double u) {
  const double u2 = u * u;
  const double u3 = u2 * u;
  return basis.at(k, 0) * u3 + basis.at(k, 1) * u2 + basis.at(k, 2) * u + basis.at(k, 3);
}

template <typename Number>
void read_number(std::istream& in, Number& target) {
  Number value{};
  if (in >> value) target = value;
}

}  // namespace

Matrix4 spline_basis() {
  constexpr double one_sixth = 1.0 / 6.0;  // the double nearest 1/6
  constexpr double whole[16] = {-1, 3, -3, 1,  //
                                3, -6, 0, 4,   //
                                -3, 3, 3, 1,   //
                                1, 0, 0, 0};
  Matrix4 basis;
  for (int i = 0; i < 16; ++i) basis.m[i] = whole[i] * one_sixth;
  return basis;
}

void path_init(SplinePath& path) { path = SplinePath{}; }

bool path_allocate_keys(SplinePath& path, int count) {
  const bool sound = count >= 0 && count <= max_path_keys;
  const int keys = sound ? count : 0;
  path.points.assign(keys, Vector3{});
  path.times.assign(keys, 0.0);
  path.count = keys;
  return sound;
}

void path_add_key(SplinePath& path, double x, double y, double z, double t) {
  // The new key goes at index count: arrays longer than count lose their
  // unused tail, so points and times stay the same length as count says.
  const int keys = usable_keys(path);
  path.points.resize(keys);
  path.times.resize(keys);
  path.points.push_back({x, y, z});
  path.times.push_back(t);
  path.count = keys + 1;
}

void path_load(SplinePath& path, const char* file_name) {
  path_init(path);
  ConfigReader reader;
  if (!config_open(reader, file_name)) return;
  int count = 0;
  config_read_int(reader, count);
  if (!path_allocate_keys(path, count)) {
    std::printf("Bad key count %d in %s\n", count, file_name);
    return;
  }
  config_read_double(reader, path.step);
  for (int i = 0; i < path.count && skip_to_marker(reader.stream); ++i) path_read_key(path, i, reader.stream);
  config_close(reader);
}

void path_read_key(SplinePath& path, int index, std::istream& in) {
  if (index < 0 || index >= usable_keys(path)) return;
  Vector3& point = path.points[index];
  read_number(in, point.x);
  read_number(in, point.y);
  read_number(in, point.z);
  read_number(in, path.times[index]);
}

void path_advance(SplinePath& path) {
  const int keys = usable_keys(path);
  if (keys < 2) return;  // no segment to move along
  const int last = keys - 1;
  const double t = path.time + path.step;
  if (t < path.times[last]) path.time = t;
  // One key at most per call; never beyond the last segment.
  const int s = clamped_segment(path, keys);
  path.segment = s + 1 < last && path.time > path.times[s + 1] ? s + 1 : s;
}

void path_seek(SplinePath& path, double t) {
  path.time = t;
  const int keys = usable_keys(path);
  if (keys < 2) return;
  int s = clamped_segment(path, keys);
  while (s + 1 < keys - 1 && t > path.times[s + 1]) ++s;
  path.segment = s;
}

Vector3 path_position(const SplinePath& path) {
  const int keys = usable_keys(path);
  if (keys == 0) return {};
  if (keys == 1) return path.points[0];
  const int last = keys - 1;
  const int s = clamped_segment(path, keys);
  const double u = segment_parameter(path, s);
  const Vector3& p0 = path.points[std::max(0, s - 1)];
  const Vector3& p1 = path.points[s];
  const Vector3& p2 = path.points[s + 1];
  const Vector3& p3 = path.points[std::min(last, s + 2)];
  const Vector3 sum01 = vec_add(vec_scale(p0, basis_weight(path.basis, 0, u)), vec_scale(p1, basis_weight(path.basis, 1, u)));
  const Vector3 sum012 = vec_add(sum01, vec_scale(p2, basis_weight(path.basis, 2, u)));
  return vec_add(sum012, vec_scale(p3, basis_weight(path.basis, 3, u)));
}
