// The point lattice: the fixed-point transform through its tables and
// directly, projection and depths, and which edges get drawn.
#include "render/lattice.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "shell/pixels/screen_buffer.h"

namespace {

std::string text(const IntVector3& v) {
  return "(" + std::to_string(v.x) + ", " + std::to_string(v.y) + ", " + std::to_string(v.z) + ")";
}

// Point (3, -2, 5) of the grid is number (5 + 8) * 256 + (-2 + 8) * 16 + (3 + 8) = 3435: its products come
// from the tables. Point 17, set to (8, -9, 100000), is off the grid: its products are direct, and its z wraps.
TEST(Lattice, TransformsIn16Point16ThenProjectsByTheDepthAndKeepsTheScreenPositionBehindTheViewer) {
  LatticeMesh mesh;
  lattice_mesh_build(mesh, lattice_point_count, 0);
  lattice_fill_grid(mesh.rest);
  lattice_reset(mesh);
  mesh.working[17] = {8, -9, 100000};
  lattice_transform(mesh, Matrix4{{1, 0.5, 0, 0.25, 0, 1, 0, -1, 0, 0, 1, 10, 0, 0, 0, 1}});  // rows
  lattice_project(mesh, 320, 320, 240);
  EXPECT_EQ(text(mesh.working[3435]), text({147456, -196608, 983040}));  // (2.25, -3, 15)
  EXPECT_EQ(text(mesh.projected[3435]), text({368, 176, 15}));
  // z: 100000 x 65536 + 655360 - 2^32 x 2 as a 32-bit pattern, so behind the viewer.
  EXPECT_EQ(text(mesh.working[17]), text({245760, -655360, -2035679232}));
  EXPECT_EQ(mesh.projected[17].z, -1);

  const std::pair<std::int32_t, std::int32_t> depths[] = {{0, -1},    {-65536, -1},           {INT32_MIN, -1},   {1, 0},
                                                          {65536, 1}, {7 * 65536 + 65535, 7}, {INT32_MAX, 32767}};
  for (const auto& [z, depth] : depths) {
    LatticeMesh one;
    lattice_mesh_build(one, 1, 0);
    one.projected[0] = {11, 22, 5};
    one.working[0] = {65536, -65536, z};
    lattice_project(one, 320, 320, 240);
    EXPECT_TRUE(one.projected[0].z == depth && (depth >= 0 || one.projected[0].x == 11))
        << "z " << z << ": expected depth " << depth << " (screen position kept if behind), got "
        << text(one.projected[0]);
  }
  LatticeMesh none;
  lattice_mesh_build(none, -5, -3);  // negative counts build an empty mesh
  EXPECT_TRUE(none.vertex_count == 0 && none.vector_count == 0 && none.rest.empty() && none.rest_vectors.empty());
}

TEST(Lattice, EdgesStartOnlyInsideTheCubeAndJoinVisiblePointsInTheirDepthsGrey) {
  const struct {
    const char* what;
    int from, step;  // step 1, 16 or 256: +x, +y or +z
    int from_depth, to_depth;
    bool drawn;
  } cases[] = {
      {"+x inside a row", 1, 1, 3, 3, true},           {"point 0 starts nothing", 0, 1, 3, 3, false},
      {"last point of a row", 15, 1, 3, 3, false},     {"last point of a row, +y", 15, 16, 3, 3, false},
      {"+x before the row end", 14, 1, 3, 3, true},    {"+y from the second last row", 224, 16, 3, 3, true},
      {"last row of a layer", 241, 1, 3, 3, false},    {"+z from the second last layer", 3584, 256, 3, 3, true},
      {"last layer", 3841, 1, 3, 3, false},            {"depth 7 is visible", 20, 1, 7, 7, true},
      {"depth 1 is visible", 20, 1, 1, 1, true},       {"depth 8 starts nothing", 20, 1, 8, 3, false},
      {"depth 8 ends nothing", 20, 1, 3, 8, false},    {"depth 0 starts nothing", 20, 16, 0, 3, false},
      {"depth 0 ends nothing", 20, 16, 3, 0, false},   {"behind the viewer", 20, 256, -1, 3, false},
  };
  for (const auto& c : cases) {
    std::vector<IntVector3> projected(lattice_point_count, IntVector3{0, 0, -1});
    projected[c.from] = {100, 100, c.from_depth};
    projected[c.from + c.step] = {110, 100, c.to_depth};
    ScreenBuffer buffer;
    lattice_draw_edges(projected, buffer.pixels());
    EXPECT_EQ(buffer[100 * 640 + 100], c.drawn ? (8u - c.from_depth) * 0x1F1F1Fu : 0u) << c.what;
    projected.pop_back();  // fewer than 4,096 points: nothing
    buffer.clear();
    lattice_draw_edges(projected, buffer.pixels());
    EXPECT_EQ(buffer[100 * 640 + 100], 0u) << c.what << ", one point short";
  }
}

}  // namespace
