// The camera: the rotation from axis and w, the view matrix, and the
// lattice-cell wrap with its edges, its closed forms and its refusals.
#include "render/camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

namespace {

std::string text(const Vector3& v) {
  return "(" + std::to_string(v.x) + ", " + std::to_string(v.y) + ", " + std::to_string(v.z) + ")";
}

TEST(Camera, RotationNormalisesTheAxisButNotW) {
  const struct {
    Vector3 axis;
    double w;
    double expected[9];  // rows and columns 0..2
  } cases[] = {
      {{0, 0, 1}, 0.0, {-1, 0, 0, 0, -1, 0, 0, 0, 1}},   // half turn about z
      {{0, 0, 5}, 0.0, {-1, 0, 0, 0, -1, 0, 0, 0, 1}},   // the length does not count
      {{0, 0, 1}, 1.0, {-1, 2, 0, -2, -1, 0, 0, 0, 1}},  // w = 1: not orthonormal
      {{1, 0, 0}, 0.5, {1, 0, 0, 0, -1, 1, 0, -1, -1}},
      {{0, 3, 0}, 1.0, {-1, 0, -2, 0, 1, 0, 2, 0, -1}},
      {{0, 0, 0}, 2.0, {1, 0, 0, 0, 1, 0, 0, 0, 1}},  // no direction: the identity
  };
  for (const auto& c : cases) {
    Camera camera{{}, {}, {}, {}, c.axis, c.w};
    camera_set_rotation(camera);
    for (int i = 0; i < 9; ++i) {
      EXPECT_EQ(camera.rotation.at(i / 3, i % 3), c.expected[i]) << "axis " << text(c.axis) << " w " << c.w << " entry " << i;
    }
    for (int k = 0; k < 4; ++k) EXPECT_EQ(camera.rotation.at(3, k), k == 3 ? 1.0 : 0.0) << "row 3, column " << k;
  }
  EXPECT_EQ(text(camera_unit_axis({0, 3, -4})), text({0, 0.6, -0.8}));
  EXPECT_EQ(text(camera_unit_axis({0, 0, 0})), text({0, 0, 0})) << "a path's zero axis stays zero";
}

// The view is translation x rotation: the rotation's entries, and minus the position (after any wrap) in column 3.
TEST(Camera, WrapKeepsTheOriginInsideTheCellOrLeavesThePositionWhenItCannot) {
  const struct {
    const char* what;
    Vector3 position, axis;
    double w;
    Vector3 expected;
  } cases[] = {
      {"origin inside -1..2: no change", {0.3, 0.2, -0.4}, {0, 0, 1}, 0, {0.3, 0.2, -0.4}},
      {"x at 2.5: wrapped to 0.5", {-2.5, 0, 0}, {0, 0, 1}, 0, {0.5, 0, 0}},
      {"exactly 2 and -1 do not wrap", {-2, 1, 0}, {0, 0, 1}, 0, {-2, 1, 0}},
      {"once wrapping, 2 becomes 1 and -1 becomes 0", {-2.5, -2, 1}, {0, 0, 1}, 0, {0.5, 1, 0}},
      {"once wrapping, 1 and 0 stay", {-2.5, -1, 0}, {0, 0, 1}, 0, {0.5, 1, 0}},
      {"far away", {-1000.25, 3000.75, 0}, {0, 0, 1}, 0, {0.25, 0.25, 0}},
      {"zero axis", {-2.5, 7, 0}, {0, 0, 0}, 0.0, {-2.5, 7, 0}},
      {"singular: infinite w", {-2.5, 7, 0}, {0, 0, 1}, INFINITY, {-2.5, 7, 0}},
      {"singular: w too large to square", {-2.5, 7, 0}, {0, 0, 1}, 1e200, {-2.5, 7, 0}},
      {"NaN w", {-2.5, 7, 0}, {0, 0, 1}, std::nan(""), {-2.5, 7, 0}},
      {"a non-finite origin", {INFINITY, 0, 0}, {0, 0, 1}, 0.0, {INFINITY, 0, 0}},
  };
  for (const auto& c : cases) {
    Camera camera{c.position, {}, {}, {}, c.axis, c.w, true};
    const Matrix4 view = camera_view_matrix(camera);
    const Vector3& p = camera.position;
    EXPECT_TRUE(p.x == c.expected.x && p.y == c.expected.y && p.z == c.expected.z)
        << c.what << ": expected " << text(c.expected) << ", got " << text(p);
    EXPECT_EQ(text({view.at(0, 3), view.at(1, 3), view.at(2, 3)}), text(vec_sub({}, p))) << c.what << ": view column 3";
    EXPECT_TRUE(!std::isfinite(c.w) || view.at(1, 1) == camera.rotation.at(1, 1)) << c.what << ": the view's rotation";
  }
}

// R x (-position) = the wrapped origin, for rotations that are not orthonormal.
TEST(Camera, WrapSolvesTheRotationForTheNewPosition) {
  std::mt19937 random(3);
  std::uniform_real_distribution<double> coordinate(-20.0, 20.0), position(3.0, 20.0);  // the origin outside -1..2
  for (int i = 0; i < 200; ++i) {
    const Vector3 start{position(random), -position(random), position(random)};
    const Vector3 axis{coordinate(random), coordinate(random), coordinate(random)};
    Camera camera{start, {}, {}, {}, axis, coordinate(random) / 10, true};
    camera_view_matrix(camera);
    const Vector3 solved = mat_transform_point(vec_scale(camera.position, -1.0), camera.rotation);
    const Vector3 wrapped = {camera_wrap_unit(-start.x), camera_wrap_unit(-start.y), camera_wrap_unit(-start.z)};
    EXPECT_LT(vec_length(vec_sub(solved, wrapped)), 1e-9)
        << "position " << text(start) << ": expected " << text(wrapped) << ", got " << text(solved);
  }
}

}  // namespace
