// Key-frame paths: key points with times read from a .bsp file, a time
// cursor moved by a fixed step per call, and the point at the cursor on the
// uniform cubic B-spline through (near) the keys.
//
// .bsp layout, in the marker discipline of config_reader.h:
//   ` count        (int)
//   ` step         (double)
//   ` x y z time   (four doubles, once per key; times strictly increasing)
//
// Degenerate paths never read outside their keys and never yield NaN: a
// path without keys stays at the origin, a path with one key stays on it,
// and a segment whose times do not increase is evaluated at its start.
#pragma once

#include <istream>
#include <vector>

#include "data/vector_math.h"

// More keys than this in a file is taken for a damaged file.
constexpr int max_path_keys = 65536;

// The uniform cubic B-spline matrix, every entry times the double nearest
// 1/6. Row k weighs the k-th of four control points as a cubic in u:
// w_k(u) = b(k, 0) u^3 + b(k, 1) u^2 + b(k, 2) u + b(k, 3).
Matrix4 spline_basis();

struct SplinePath {
  std::vector<Vector3> points;  // key positions, in file order
  std::vector<double> times;    // key times (scene-time units), in file order
  int count = 0;                // number of keys
  int segment = 0;              // current segment: keys segment .. segment + 1
  Matrix4 basis = spline_basis();
  double time = 0.0;            // the cursor, in scene-time units
  double step = 0.05;           // added to `time` by each path_advance
};

// Defaults: no keys, segment 0, time 0, step 0.05, the B-spline basis.
void path_init(SplinePath& path);

// Makes room for `count` keys, all zero. A negative or absurd count is
// refused: the path is left without keys and false is returned.
bool path_allocate_keys(SplinePath& path, int count);

// Appends key (x, y, z) at time t after the keys the path holds: count goes
// up by one. Keys built in code rather than read from a file (the particles
// arms); each call may reallocate, so it belongs in start-up work.
void path_add_key(SplinePath& path, double x, double y, double z, double t);

// path_init, then count, step and keys from `file_name`. A missing file is
// reported ("Cannot find <name>") and leaves the defaults; a file that ends
// early leaves the keys it did not reach at zero.
void path_load(SplinePath& path, const char* file_name);

// After a key's marker has been consumed: reads x, y, z and the time of key
// `index`. Each number that does not parse leaves its target as it was; an
// index outside the keys reads nothing. A scene that reads a .bsp file
// itself follows path_load: path_init, config_read_int for the count,
// path_allocate_keys, config_read_double for the step, then per key
// skip_to_marker and path_read_key.
void path_read_key(SplinePath& path, int index, std::istream& in);

// Moves the cursor one step, stopping short of the last key time, and passes
// at most one key per call.
void path_advance(SplinePath& path);

// Sets the cursor to t and moves `segment` forward until it holds t.
void path_seek(SplinePath& path, double t);

// The point on the curve at the cursor.
Vector3 path_position(const SplinePath& path);
