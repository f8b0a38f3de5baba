// The camera: rotation build, view matrix, and the lattice-cell wrap with
// its edges, its closed forms and its refusals.
#include "render/camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

std::string text(const Vector3& v) {
  return "(" + std::to_string(v.x) + ", " + std::to_string(v.y) + ", " + std::to_string(v.z) + ")";
}

bool same(const Vector3& a, const Vector3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

Camera wrapping_camera(Vector3 position, Vector3 axis = {0, 0, 1}, double w = 0.0) {
  Camera camera;
  camera.position = position;
  camera.axis = axis;
  camera.w = w;
  camera.wrap = true;
  return camera;
}

TEST(Camera, RotationNormalisesTheAxisButNotW) {
  struct Case {
    Vector3 axis;
    double w;
    double expected[9];  // rows and columns 0..2
  };
  const Case cases[] = {
      {{0, 0, 1}, 0.0, {-1, 0, 0, 0, -1, 0, 0, 0, 1}},   // half turn about z
      {{0, 0, 5}, 0.0, {-1, 0, 0, 0, -1, 0, 0, 0, 1}},   // the length does not count
      {{0, 0, 1}, 1.0, {-1, 2, 0, -2, -1, 0, 0, 0, 1}},  // w = 1: not orthonormal
      {{1, 0, 0}, 0.5, {1, 0, 0, 0, -1, 1, 0, -1, -1}},
      {{0, 0, 0}, 2.0, {1, 0, 0, 0, 1, 0, 0, 0, 1}},  // no direction: the identity
  };
  for (const Case& c : cases) {
    Camera camera;
    camera.axis = c.axis;
    camera.w = c.w;
    camera_set_rotation(camera);
    for (int i = 0; i < 9; ++i) {
      EXPECT_EQ(camera.rotation.at(i / 3, i % 3), c.expected[i]) << "axis " << text(c.axis) << " w " << c.w << " entry " << i;
    }
    EXPECT_EQ(camera.rotation.at(3, 3), 1.0);
  }
}

TEST(Camera, ViewRotatesAboutTheOriginThenSubtractsThePosition) {
  Camera camera;
  camera.position = {1, 2, 3};
  const Matrix4 view = camera_view_matrix(camera);
  EXPECT_EQ(text(mat_transform_point({1, 0, 0}, view)), text({-2, -2, -3}));  // half turn: (-1, 0, 0), minus position

  Camera by_steps = camera;
  camera_set_translation(by_steps);
  camera_set_rotation(by_steps);
  camera_combine(by_steps);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(by_steps.view.m[i], view.m[i]) << "entry " << i;
}

TEST(Camera, WrapKeepsTheOriginInsideTheCell) {
  struct Case {
    const char* what;
    Vector3 position;
    Vector3 expected;
  };
  const Case cases[] = {
      {"origin inside -1..2: no change", {0.3, 0.2, -0.4}, {0.3, 0.2, -0.4}},
      {"x at 2.5: wrapped to 0.5", {-2.5, 0, 0}, {0.5, 0, 0}},
      {"exactly 2 and -1 do not wrap", {-2, 1, 0}, {-2, 1, 0}},
      {"once wrapping, 2 becomes 1 and -1 becomes 0", {-2.5, -2, 1}, {0.5, 1, 0}},
      {"once wrapping, 1 and 0 stay", {-2.5, -1, 0}, {0.5, 1, 0}},
      {"far away", {-1000.25, 3000.75, 0}, {0.25, 0.25, 0}},
  };
  for (const Case& c : cases) {
    Camera camera = wrapping_camera(c.position);
    const Matrix4 view = camera_view_matrix(camera);
    EXPECT_TRUE(same(camera.position, c.expected)) << c.what << ": got " << text(camera.position);
    EXPECT_EQ(view.at(0, 3), -camera.position.x) << c.what << ": view rebuilt from the new position";
  }
}

// R x (-position) = wrapped origin, for rotations that are not orthonormal.
TEST(Camera, WrapSolvesTheRotationForTheNewPosition) {
  std::mt19937 random(3);
  std::uniform_real_distribution<double> coordinate(-20.0, 20.0);
  for (int i = 0; i < 200; ++i) {
    Camera camera = wrapping_camera({coordinate(random), coordinate(random), coordinate(random)},
                                    {coordinate(random), coordinate(random), coordinate(random)}, coordinate(random) / 10);
    const Vector3 origin = {-camera.position.x, -camera.position.y, -camera.position.z};
    if (std::abs(origin.x - 0.5) <= 1.5 && std::abs(origin.y - 0.5) <= 1.5 && std::abs(origin.z - 0.5) <= 1.5) continue;
    camera_view_matrix(camera);
    const Vector3 solved = mat_transform_point(vec_scale(camera.position, -1.0), camera.rotation);
    const Vector3 wrapped = {camera_wrap_unit(origin.x), camera_wrap_unit(origin.y), camera_wrap_unit(origin.z)};
    EXPECT_TRUE(std::abs(solved.x - wrapped.x) < 1e-9 && std::abs(solved.y - wrapped.y) < 1e-9 &&
                std::abs(solved.z - wrapped.z) < 1e-9)
        << "origin " << text(origin) << ": expected " << text(wrapped) << ", got " << text(solved);
  }
}

TEST(Camera, WrapUnitMatchesRepeatedSteps) {
  std::vector<double> values = {-1, 0, 1, 2, -0.3, 1e-300, -1e-300, 2.5, -2.5};
  std::mt19937 random(11);
  std::uniform_real_distribution<double> value(-300.0, 300.0);
  for (int i = 0; i < 20000; ++i) values.push_back(value(random));
  for (const double v : values) {
    double stepped = v;
    while (stepped > 1.0) stepped -= 1.0;
    while (stepped < 0.0) stepped += 1.0;
    ASSERT_EQ(camera_wrap_unit(v), stepped) << "value " << v;
  }
  const double huge = camera_wrap_unit(1e300);
  EXPECT_TRUE(huge >= 0.0 && huge <= 1.0) << huge;
}

TEST(Camera, UnsolvableWrapLeavesThePosition) {
  constexpr double infinity = std::numeric_limits<double>::infinity();
  const struct {
    const char* what;
    Vector3 position, axis;
    double w;
  } cases[] = {
      {"zero axis", {-2.5, 7, 0}, {0, 0, 0}, 0.0},
      {"singular: infinite w", {-2.5, 7, 0}, {0, 0, 1}, infinity},
      {"singular: w too large to square", {-2.5, 7, 0}, {0, 0, 1}, 1e200},
      {"NaN w", {-2.5, 7, 0}, {0, 0, 1}, std::nan("")},
      {"a non-finite origin", {infinity, 0, 0}, {0, 0, 1}, 0.0},
  };
  for (const auto& c : cases) {
    Camera camera = wrapping_camera(c.position, c.axis, c.w);
    camera_view_matrix(camera);
    EXPECT_TRUE(same(camera.position, c.position)) << c.what << ": got " << text(camera.position);
  }
}

}  // namespace
