// Double-precision vectors and 4 x 4 matrices shared by the cameras, paths,
// particles and the blob field, plus the integer triple of lattice points.
//
// Matrix4 is row-major (element (r, c) is m[4r + c]) and applies to column
// vectors (x, y, z, 1) from the left. Functions that return a value leave
// their arguments alone; only vec_zero, vec_set, ivec_set, vec_normalize and
// mat_zero change their first argument.
#pragma once

#include <cmath>
#include <cstdint>

struct Vector3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

// Integer lattice coordinates (or, after the lattice transform, 16.16 view
// space coordinates; see shell/pixels/fixed_point.h).
struct IntVector3 {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t z = 0;
};

struct Matrix4 {
  double m[16] = {};

  double& at(int row, int column) { return m[4 * row + column]; }
  double at(int row, int column) const { return m[4 * row + column]; }
};

inline void vec_zero(Vector3& v) { v = Vector3{}; }
inline void vec_set(Vector3& v, double x, double y, double z) { v = Vector3{x, y, z}; }
inline void ivec_set(IntVector3& t, std::int32_t a, std::int32_t b, std::int32_t c) { t = IntVector3{a, b, c}; }

inline Vector3 vec_add(const Vector3& a, const Vector3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vector3 vec_sub(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vector3 vec_scale(const Vector3& a, double s) { return {s * a.x, s * a.y, s * a.z}; }

// Division by zero gives the zero vector rather than infinities.
inline Vector3 vec_div(const Vector3& a, double s) {
  if (s == 0.0) return {};
  return {a.x / s, a.y / s, a.z / s};
}
inline Vector3 vec_div_int(const Vector3& a, int n) {
  if (n == 0) return {};
  return {a.x / n, a.y / n, a.z / n};
}

inline double vec_dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline double vec_length(const Vector3& a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }

// Divides each component by the length. A zero vector has no direction and
// comes out non-finite: callers that may meet one test the length first.
inline void vec_normalize(Vector3& a) {
  const double length = vec_length(a);
  a = {a.x / length, a.y / length, a.z / length};
}

inline void mat_zero(Matrix4& m) { m = Matrix4{}; }
Matrix4 mat_identity();
// a x b: entry (r, c) is the sum over k of a(r, k) * b(k, c).
Matrix4 mat_mul(const Matrix4& a, const Matrix4& b);
// Rows 0..2 of m applied to (p, 1); row 3 is ignored and nothing is divided by w.
Vector3 mat_transform_point(const Vector3& p, const Matrix4& m);
