// Vector and matrix helpers: the guarded divisions and the matrix
// conventions (row-major, column vectors, row 3 ignored by points).
#include "data/vector_math.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void expect_vector(const Vector3& got, const Vector3& expected, const char* what) {
  EXPECT_EQ(got.x, expected.x) << what;
  EXPECT_EQ(got.y, expected.y) << what;
  EXPECT_EQ(got.z, expected.z) << what;
}

Matrix4 counting_matrix(double first) {
  Matrix4 m;
  for (int i = 0; i < 16; ++i) m.m[i] = first + i;
  return m;
}

TEST(VectorMath, DivisionsByZeroGiveTheZeroVector) {
  const Vector3 a{3, -6, 9};
  expect_vector(vec_div(a, 0.0), {0, 0, 0}, "vec_div by 0.0");
  expect_vector(vec_div(a, -0.0), {0, 0, 0}, "vec_div by -0.0");
  expect_vector(vec_div_int(a, 0), {0, 0, 0}, "vec_div_int by 0");
  expect_vector(vec_div(a, 3.0), {1, -2, 3}, "vec_div by 3");
  expect_vector(vec_div_int(a, -3), {-1, 2, -3}, "vec_div_int by -3");
}

TEST(VectorMath, NormalizeScalesToUnitLengthAndLeavesZeroNonFinite) {
  Vector3 v{0, 3, 4};
  vec_normalize(v);
  expect_vector(v, {0, 0.6, 0.8}, "(0, 3, 4)");
  Vector3 zero{0, 0, 0};
  vec_normalize(zero);
  EXPECT_FALSE(std::isfinite(zero.x));
  EXPECT_EQ(vec_dot({1, 2, 3}, {4, -5, 6}), 12.0);
}

TEST(VectorMath, TransformPointUsesRowsZeroToTwoAndIgnoresRowThree) {
  const Vector3 p{1.5, -2, 4};
  expect_vector(mat_transform_point(p, mat_identity()), p, "identity");
  Matrix4 move = mat_identity();
  move.at(0, 3) = 10;
  move.at(1, 3) = 20;
  move.at(2, 3) = 30;
  move.at(3, 0) = 99;  // row 3: no division by w
  expect_vector(mat_transform_point(p, move), {11.5, 18, 34}, "translation");
  const Matrix4 m = counting_matrix(1);  // rows (1 2 3 4), (5 6 7 8), (9 10 11 12)
  expect_vector(mat_transform_point({1, 1, 1}, m), {10, 26, 42}, "counting matrix");
}

TEST(VectorMath, MatMulCombinesLeftRowsWithRightColumns) {
  const Matrix4 a = counting_matrix(0);
  const Matrix4 b = counting_matrix(16);
  const Matrix4 ab = mat_mul(a, b);
  const Matrix4 ba = mat_mul(b, a);
  // (a b)(0, 1) = 0*17 + 1*21 + 2*25 + 3*29; (b a)(0, 1) = 16*1 + 17*5 + 18*9 + 19*13.
  EXPECT_EQ(ab.at(0, 1), 158.0);
  EXPECT_EQ(ba.at(0, 1), 510.0);
  const Matrix4 twice = mat_scale(a, 2.0);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(twice.m[i], 2.0 * i) << "entry " << i;
}

}  // namespace
