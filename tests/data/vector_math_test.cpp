// Vector and matrix helpers: the guarded divisions and the matrix
// conventions (row-major, column vectors, row 3 ignored by points).
#include "data/vector_math.h"

#include <gtest/gtest.h>

#include <array>

TEST(VectorMath, DivisionsByZeroGiveZeroAndMatricesAreRowMajorOnColumnVectors) {
  Vector3 unit{0, 3, 4};
  vec_normalize(unit);
  const Matrix4 a{{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}};
  const Matrix4 b{{16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31}};
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
      {"b: column 3 added, row 3 ignored", mat_transform_point({1, 1, 1}, b), {70, 86, 102}},
      // (a b)(0, 1) = 0*17 + 1*21 + 2*25 + 3*29; (b a)(0, 1) = 16*1 + 17*5 + 18*9 + 19*13.
      {"(a b) and (b a) at (0, 1), a dot product",
       {mat_mul(a, b).at(0, 1), mat_mul(b, a).at(0, 1), vec_dot({1, 2, 3}, {4, -5, 6})},
       {158, 510, 12}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ((std::array{c.got.x, c.got.y, c.got.z}), (std::array{c.expected.x, c.expected.y, c.expected.z}))
        << c.what;
  }
}
