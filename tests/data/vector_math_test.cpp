// Vector and matrix helpers: the guarded divisions and the matrix
// conventions (row-major, column vectors, row 3 ignored by points).
#include "data/vector_math.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void expect_vector(const Vector3& got, const Vector3& expected, const char* what) {
  EXPECT_TRUE(got.x == expected.x && got.y == expected.y && got.z == expected.z)
      << what << ": expected (" << expected.x << ", " << expected.y << ", " << expected.z << "), got (" << got.x
      << ", " << got.y << ", " << got.z << ")";
}

// Rows (first, first + 1, first + 2, first + 3), (first + 4, ...), ...
Matrix4 counting_matrix(double first) {
  Matrix4 m;
  for (int i = 0; i < 16; ++i) m.m[i] = first + i;
  return m;
}

TEST(VectorMath, DivisionsByZeroGiveTheZeroVectorAndNormalizeGivesUnitLength) {
  const Vector3 a{3, -6, 9};
  expect_vector(vec_div(a, 0.0), {0, 0, 0}, "vec_div by 0.0");
  expect_vector(vec_div(a, -0.0), {0, 0, 0}, "vec_div by -0.0");
  expect_vector(vec_div_int(a, 0), {0, 0, 0}, "vec_div_int by 0");
  expect_vector(vec_div(a, 3.0), {1, -2, 3}, "vec_div by 3");
  expect_vector(vec_div_int(a, -3), {-1, 2, -3}, "vec_div_int by -3");
  Vector3 v{0, 3, 4};
  vec_normalize(v);
  expect_vector(v, {0, 0.6, 0.8}, "(0, 3, 4) normalized");
  EXPECT_EQ(vec_dot({1, 2, 3}, {4, -5, 6}), 12.0);
}

TEST(VectorMath, MatricesAreRowMajorOnColumnVectorsAndPointsIgnoreRowThree) {
  const Vector3 p{1.5, -2, 4};
  expect_vector(mat_transform_point(p, mat_identity()), p, "identity");
  Matrix4 move = mat_identity();
  move.at(0, 3) = 10;
  move.at(1, 3) = 20;
  move.at(2, 3) = 30;
  move.at(3, 0) = 99;  // row 3: no division by w
  expect_vector(mat_transform_point(p, move), {11.5, 18, 34}, "translation");
  expect_vector(mat_transform_point({1, 1, 1}, counting_matrix(1)), {10, 26, 42}, "counting matrix");

  // (a b)(0, 1) = 0*17 + 1*21 + 2*25 + 3*29; (b a)(0, 1) = 16*1 + 17*5 + 18*9 + 19*13.
  const Matrix4 a = counting_matrix(0), b = counting_matrix(16);
  EXPECT_EQ(mat_mul(a, b).at(0, 1), 158.0);
  EXPECT_EQ(mat_mul(b, a).at(0, 1), 510.0);
}

}  // namespace
