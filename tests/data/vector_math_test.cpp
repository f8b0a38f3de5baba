// Vector and matrix helpers: the guarded divisions and the matrix
// conventions (row-major, column vectors, row 3 ignored by points).
#include "data/vector_math.h"

#include <gtest/gtest.h>

namespace {

// Rows (first, first + 1, first + 2, first + 3), (first + 4, ...), ...
Matrix4 counting_matrix(double first) {
  Matrix4 m;
  for (int i = 0; i < 16; ++i) m.m[i] = first + i;
  return m;
}

TEST(VectorMath, DivisionsByZeroGiveZeroAndMatricesAreRowMajorOnColumnVectors) {
  Vector3 unit{0, 3, 4};
  vec_normalize(unit);
  const struct {
    const char* what;
    Vector3 got, expected;
  } cases[] = {
      {"vec_div by 0.0", vec_div({3, -6, 9}, 0.0), {0, 0, 0}},
      {"vec_div by -0.0", vec_div({3, -6, 9}, -0.0), {0, 0, 0}},
      {"vec_div_int by 0", vec_div_int({3, -6, 9}, 0), {0, 0, 0}},
      {"vec_div by 3", vec_div({3, -6, 9}, 3.0), {1, -2, 3}},
      {"vec_div_int by -3", vec_div_int({3, -6, 9}, -3), {-1, 2, -3}},
      {"vec_add, vec_sub", vec_sub(vec_add({1, 2, 3}, {10, 20, 30}), {4, 4, 4}), {7, 18, 29}},
      {"(0, 3, 4) normalized", unit, {0, 0.6, 0.8}},
      {"identity", mat_transform_point({1.5, -2, 4}, mat_identity()), {1.5, -2, 4}},
      {"counting matrix: column 3 added, row 3 ignored", mat_transform_point({1, 1, 1}, counting_matrix(1)), {10, 26, 42}},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(c.got.x == c.expected.x && c.got.y == c.expected.y && c.got.z == c.expected.z)
        << c.what << ": expected (" << c.expected.x << ", " << c.expected.y << ", " << c.expected.z << "), got ("
        << c.got.x << ", " << c.got.y << ", " << c.got.z << ")";
  }
  EXPECT_EQ(vec_dot({1, 2, 3}, {4, -5, 6}), 12.0);
  // (a b)(0, 1) = 0*17 + 1*21 + 2*25 + 3*29; (b a)(0, 1) = 16*1 + 17*5 + 18*9 + 19*13.
  const Matrix4 a = counting_matrix(0), b = counting_matrix(16);
  EXPECT_EQ(mat_mul(a, b).at(0, 1), 158.0);
  EXPECT_EQ(mat_mul(b, a).at(0, 1), 510.0);
}

}  // namespace
