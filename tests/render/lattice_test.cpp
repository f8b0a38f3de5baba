// The point lattice: the fixed-point transform against a plain 64-bit
// reference, projection depths and which edges get drawn.
#include "render/lattice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "shell/pixels/screen_buffer.h"

namespace {

int point_number(int x, int y, int z) { return (z + 8) * 256 + (y + 8) * 16 + (x + 8); }

LatticeMesh grid_mesh() {
  LatticeMesh mesh;
  lattice_mesh_build(mesh, lattice_point_count, 0);
  lattice_fill_grid(mesh.rest);
  lattice_reset(mesh);
  return mesh;
}

std::string text(const IntVector3& v) {
  return "(" + std::to_string(v.x) + ", " + std::to_string(v.y) + ", " + std::to_string(v.z) + ")";
}

// The fixed-point product written plainly: 64-bit sums, then the low 32 bits.
std::int32_t reference_fixed(double m) {
  if (std::isnan(m)) return 0;
  const double scaled = std::trunc(m * 65536.0);
  if (scaled > 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (scaled < -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(scaled);
}

std::int32_t low_32_bits(std::int64_t v) {
  const std::int64_t low = static_cast<std::int64_t>(static_cast<std::uint64_t>(v) & 0xFFFFFFFFu);
  return static_cast<std::int32_t>(low >= 0x80000000 ? low - 0x100000000 : low);
}

IntVector3 reference_transform(const IntVector3& p, const Matrix4& m) {
  std::int32_t out[3];
  for (int r = 0; r < 3; ++r) {
    const std::int64_t sum = std::int64_t{p.x} * reference_fixed(m.at(r, 0)) +
                             std::int64_t{p.y} * reference_fixed(m.at(r, 1)) +
                             std::int64_t{p.z} * reference_fixed(m.at(r, 2)) + reference_fixed(m.at(r, 3));
    out[r] = low_32_bits(sum);
  }
  return {out[0], out[1], out[2]};
}

// Point (3, -2, 5): also checks that points are numbered x innermost.
TEST(Lattice, IdentityViewPlacesThePointAtThreeMinusTwoFive) {
  LatticeMesh mesh = grid_mesh();
  lattice_transform(mesh, mat_identity());
  lattice_project(mesh, 320, 320, 240);
  const int i = point_number(3, -2, 5);
  EXPECT_EQ(text(mesh.working[i]), text({196608, -131072, 327680}));
  EXPECT_EQ(text(mesh.projected[i]), text({512, 112, 5}));
  EXPECT_EQ(lattice_colour(mesh.projected[i].z), 0x5D5D5Du);

  // Its +x edge alone: the start pixel takes the colour, the inside pixels twice it.
  std::vector<IntVector3> only_edge = mesh.projected;
  for (IntVector3& p : only_edge) p.z = -1;
  only_edge[i] = mesh.projected[i];
  only_edge[i + 1] = mesh.projected[i + 1];  // (4, -2, 5) at (576, 112)
  ScreenBuffer buffer;
  lattice_draw_edges(only_edge, buffer.pixels());
  const struct {
    int x;
    Pixel expected;
  } pixels[] = {{511, 0}, {512, 0x5D5D5D}, {513, 0x5D5D5D}, {514, 0xBABABA}, {576, 0xBABABA}, {577, 0x5D5D5D}, {578, 0}};
  for (const auto& p : pixels) EXPECT_EQ(buffer[112 * 640 + p.x], p.expected) << "pixel (" << p.x << ", 112)";
}

TEST(Lattice, DepthComesFromTheWholeViewSpaceUnits) {
  constexpr std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t highest = std::numeric_limits<std::int32_t>::max();
  const struct {
    std::int32_t z;
    std::int32_t depth;
  } cases[] = {{0, -1},    {-65536, -1}, {lowest, -1}, {1, 0}, {65535, 0},
               {65536, 1}, {7 * 65536 + 65535, 7},     {highest, 32767}};
  for (const auto& c : cases) {
    LatticeMesh mesh;
    lattice_mesh_build(mesh, 1, 0);
    mesh.projected[0] = {11, 22, 5};
    mesh.working[0] = {65536, -65536, c.z};
    lattice_project(mesh, 320, 320, 240);
    EXPECT_EQ(mesh.projected[0].z, c.depth) << "z " << c.z;
    if (c.depth < 0) {
      EXPECT_EQ(mesh.projected[0].x, 11) << "z " << c.z << ": screen position kept";
    }
  }
}

TEST(Lattice, TransformEqualsThePlainFixedPointProduct) {
  std::mt19937 random(5);
  std::uniform_real_distribution<double> entry(-3.0, 3.0);
  std::uniform_real_distribution<double> wild(-1e5, 1e5);
  const double specials[] = {std::nan(""), std::numeric_limits<double>::infinity(), -1e300, 32767.99999, -32768.0};
  for (int round = 0; round < 200; ++round) {
    Matrix4 m;
    for (double& v : m.m) v = round % 4 == 3 ? wild(random) : entry(random);
    if (round % 10 == 9) m.m[random() % 12] = specials[random() % 5];
    LatticeMesh mesh = grid_mesh();
    // A few points off the grid take the direct products.
    mesh.working[17] = {100000, -3, 9};
    mesh.working[18] = {std::numeric_limits<std::int32_t>::min(), 8, -9};
    const std::vector<IntVector3> before = mesh.working;
    lattice_transform(mesh, m);
    for (int i = 0; i < lattice_point_count; ++i) {
      const IntVector3 expected = reference_transform(before[i], m);
      const IntVector3& got = mesh.working[i];
      ASSERT_TRUE(got.x == expected.x && got.y == expected.y && got.z == expected.z)
          << "round " << round << ", point " << text(before[i]) << ": expected " << text(expected) << ", got " << text(got);
    }
  }
}

TEST(Lattice, EdgesStartOnlyInsideTheCubeAndJoinVisiblePoints) {
  struct Case {
    const char* what;
    int from;
    int step;  // 1, 16 or 256
    int from_depth;
    int to_depth;
    bool drawn;
  };
  const Case cases[] = {
      {"+x inside a row", 1, 1, 3, 3, true},           {"point 0 starts nothing", 0, 1, 3, 3, false},
      {"last point of a row", 15, 1, 3, 3, false},     {"last point of a row, +y", 15, 16, 3, 3, false},
      {"+x before the row end", 14, 1, 3, 3, true},    {"+y from the second last row", 224, 16, 3, 3, true},
      {"last row of a layer", 241, 1, 3, 3, false},    {"+z from the second last layer", 3584, 256, 3, 3, true},
      {"last layer", 3841, 1, 3, 3, false},            {"depth 7 is visible", 20, 1, 7, 7, true},
      {"depth 8 starts nothing", 20, 1, 8, 3, false},  {"depth 8 ends nothing", 20, 1, 3, 8, false},
      {"depth 0 starts nothing", 20, 16, 0, 3, false}, {"depth 0 ends nothing", 20, 16, 3, 0, false},
      {"behind the viewer", 20, 256, -1, 3, false},
  };
  for (const Case& c : cases) {
    std::vector<IntVector3> projected(lattice_point_count, IntVector3{0, 0, -1});
    projected[c.from] = {100, 100, c.from_depth};
    projected[c.from + c.step] = {110, 100, c.to_depth};
    ScreenBuffer buffer;
    lattice_draw_edges(projected, buffer.pixels());
    EXPECT_EQ(buffer[100 * 640 + 100], c.drawn ? lattice_colour(c.from_depth) : 0u) << c.what;
  }
}

TEST(Lattice, ResetRestoresTheGridAndShortArraysDrawNothing) {
  LatticeMesh mesh = grid_mesh();
  Matrix4 tripled;  // every point three times as far out
  for (int i = 0; i < 3; ++i) tripled.at(i, i) = 3.0;
  lattice_transform(mesh, tripled);
  lattice_reset(mesh);
  for (int i = 0; i < lattice_point_count; ++i) ASSERT_EQ(text(mesh.working[i]), text(mesh.rest[i])) << "point " << i;

  std::vector<IntVector3> short_array(100, IntVector3{5, 5, 3});
  ScreenBuffer buffer;
  lattice_draw_edges(short_array, buffer.pixels());
  for (int i = 0; i < screen_pixels; ++i) ASSERT_EQ(buffer[i], 0u) << "pixel " << i;
}

}  // namespace
