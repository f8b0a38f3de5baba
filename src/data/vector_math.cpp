// The matrix half of the shared vector and matrix helpers.
#include "data/vector_math.h"

Matrix4 mat_identity() {
  Matrix4 m;
  for (int i = 0; i < 4; ++i) m.at(i, i) = 1.0;
  return m;
}

Matrix4 mat_mul(const Matrix4& a, const Matrix4& b) {
  Matrix4 result;
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += a.at(r, k) * b.at(k, c);
      result.at(r, c) = sum;
    }
  }
  return result;
}

Vector3 mat_transform_point(const Vector3& p, const Matrix4& m) {
  return {m.at(0, 0) * p.x + m.at(0, 1) * p.y + m.at(0, 2) * p.z + m.at(0, 3),
          m.at(1, 0) * p.x + m.at(1, 1) * p.y + m.at(1, 2) * p.z + m.at(1, 3),
          m.at(2, 0) * p.x + m.at(2, 1) * p.y + m.at(2, 2) * p.z + m.at(2, 3)};
}
