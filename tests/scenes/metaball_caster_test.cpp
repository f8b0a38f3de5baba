// The coarse-to-fine caster: which grid rays are marched, which blocks are
// filled and how, the wire mesh, and the blend of a block's corner normals.
#include "scenes/metaball_caster.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "scene_rig.h"

namespace {

const Vector3 scene_eye{0.5, 0.5, 0.0};

std::unique_ptr<MetaballCaster> make_caster() {
  auto caster = std::make_unique<MetaballCaster>();
  metaball_falloff_table_build(caster->field.falloff);
  caster->field.lights = {Vector3{0, 2, 2}, Vector3{1, 2, 2}, Vector3{2, 1, 2}};
  return caster;
}

// Where grid ray (r, c) from the scene's eye is at depth 50.
Vector3 on_grid_ray(int r, int c) {
  const Vector3 target = metaball_grid_target(16 * c, 16 * r);
  const double t = 50.0 / 256.0;
  return vec_add(scene_eye, vec_scale(vec_sub(target, scene_eye), t));
}

TEST(CastGrid, ARayMissingAnyOneBoundingSphereIsAMiss) {
  struct Case {
    double blob_3_offset;  // in x from the point where blobs 1 and 2 sit on the ray
    bool hit;
  };
  const Case cases[] = {{0.0, true}, {20.0, true}, {40.0, false}};
  for (const Case& c : cases) {
    auto caster = make_caster();
    const Vector3 on_ray = on_grid_ray(7, 20);
    caster->field.blobs[0].centre = on_ray;
    caster->field.blobs[1].centre = on_ray;
    caster->field.blobs[2].centre = vec_add(on_ray, Vector3{c.blob_3_offset, 0, 0});
    metaball_cast_grid(*caster, scene_eye);
    EXPECT_EQ(metaball_grid_hit(*caster, 7, 20), c.hit) << "blob 3 moved by " << c.blob_3_offset;
  }
}

TEST(CastGrid, BlobsOutOfSightGiveNoHitsAndDrawNothing) {
  auto caster = make_caster();
  for (MetaballBlob& blob : caster->field.blobs) blob.centre = {1000, 0, -50};
  metaball_cast_grid(*caster, scene_eye);
  ScreenBuffer wire, shade;
  metaball_draw_grid_wire(*caster, wire.pixels());
  metaball_shade_blocks(*caster, scene_eye, shade.pixels());
  EXPECT_EQ(lit_pixels(wire.pixels()), 0);
  EXPECT_EQ(lit_pixels(shade.pixels()), 0);
  const MetaballMarchTally& tally = caster->field.tally;
  EXPECT_EQ(tally.grid_marches + tally.pixel_marches + tally.normal_marches, 0);
}

TEST(CastGrid, BlobsInFrontHitAroundTheirCentreAndShadeTheBand) {
  auto caster = make_caster();
  for (MetaballBlob& blob : caster->field.blobs) blob.centre = {0, 0, -50};
  metaball_cast_grid(*caster, scene_eye);
  // Three blobs at one point: 3 / distance reaches 0.25 twelve units out,
  // about 61 grid-pixels (3.8 grid steps) on screen.
  EXPECT_TRUE(metaball_grid_hit(*caster, 7, 20));
  EXPECT_TRUE(metaball_grid_hit(*caster, 7, 23));
  EXPECT_FALSE(metaball_grid_hit(*caster, 7, 25));
  EXPECT_FALSE(metaball_grid_hit(*caster, 0, 0));
  ScreenBuffer shade;
  metaball_shade_blocks(*caster, scene_eye, shade.pixels());
  EXPECT_NE(shade[(120 + 120) * screen_width + 320], 0u) << "the middle of the blob";
  for (int i = 0; i < screen_pixels; ++i) {
    const int x = i % screen_width, y = i / screen_width;
    if (x < 624 && y >= 120 && y < 344) continue;
    ASSERT_EQ(shade[i], 0u) << "outside the band at (" << x << ", " << y << ")";
  }
}

// Hits set by hand; the rest of the grid misses.
std::unique_ptr<MetaballCaster> caster_with_hits(const std::vector<std::pair<int, int>>& hits) {
  auto caster = make_caster();
  for (MetaballBlob& blob : caster->field.blobs) blob.centre = {1000, 0, -50};  // every march misses
  for (auto [r, c] : hits) caster->hit_grid[r][c] = {0, 0, -50};
  return caster;
}

TEST(ShadeBlocks, FillsEachBlockBesideAVisitedHitOnceBlendingOnlyWhenAllFourCornersHit) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, int>> hits;
    int marched_blocks;
    int blended_blocks;
  };
  const Case cases[] = {
      {"one hit", {{5, 10}}, 4, 0},
      {"a square of four", {{5, 10}, {5, 11}, {6, 10}, {6, 11}}, 8, 1},
      {"top row only: never visited", {{0, 10}, {0, 11}}, 0, 0},
      {"bottom row only: never visited", {{14, 10}}, 0, 0},
      {"left and right columns only", {{5, 0}, {5, 39}}, 0, 0},
      {"a square on the top row", {{0, 10}, {0, 11}, {1, 10}, {1, 11}}, 5, 1},
      {"a three by three square",
       {{4, 9}, {4, 10}, {4, 11}, {5, 9}, {5, 10}, {5, 11}, {6, 9}, {6, 10}, {6, 11}}, 12, 4},
  };
  for (const Case& c : cases) {
    auto caster = caster_with_hits(c.hits);
    ScreenBuffer shade;
    metaball_shade_blocks(*caster, scene_eye, shade.pixels());
    int filled = 0;
    for (const auto& row : caster->block_filled) {
      for (bool flag : row) filled += flag;
    }
    EXPECT_EQ(filled, c.marched_blocks + c.blended_blocks) << c.name;
    EXPECT_EQ(caster->field.tally.pixel_marches, 64 * c.marched_blocks) << c.name;
    EXPECT_EQ(caster->field.tally.normal_marches, 4 * c.blended_blocks) << c.name;
  }
}

TEST(DrawGridWire, JoinsNeighbouringHitsAtTwiceTheSpacingRaised) {
  // Grid entries (5, 10) and (5, 11) show at screen (160, 200) and (176, 200);
  // their wire points are (0, 100) and (32, 100).
  auto caster = caster_with_hits({{5, 10}, {5, 11}});
  ScreenBuffer wire;
  metaball_draw_grid_wire(*caster, wire.pixels());
  for (int x = 1; x < 32; ++x) {
    EXPECT_EQ(wire[100 * screen_width + x], 0xFFFFFFu) << "on the line at x " << x;
  }
  EXPECT_EQ(wire[101 * screen_width + 16], 0u);
  EXPECT_EQ(wire[100 * screen_width + 40], 0u);
  EXPECT_LE(lit_pixels(wire.pixels()), 40);

  auto lonely = caster_with_hits({{5, 10}});
  ScreenBuffer nothing;
  metaball_draw_grid_wire(*lonely, nothing.pixels());
  EXPECT_EQ(lit_pixels(nothing.pixels()), 0) << "a hit without hit neighbours";
}

TEST(BlendBlockNormals, AMissedCornerDarkensTheBlockTowardsIt) {
  // Light 1 gives red 144 for the unit normal (1, 0, 0); the bottom-right
  // corner missed. The blend is n (1 - x/16 * y/16) at grid-pixel (x, y) of
  // the block: full along the top row and left column, darker towards the corner.
  const std::array<Vector3, 3> lights = {Vector3{1.5, 0, 0}, Vector3{0, 1, 0}, Vector3{0, 0, 1}};
  const Vector3 n{1, 0, 0};
  ScreenBuffer block;
  const int x0 = 160, y0 = 64;
  metaball_blend_block_normals({n, n, n, Vector3{}}, lights, x0, y0, block.pixels());
  auto red_at = [&](int x, int y) { return pixel_red(block[(y + 120) * screen_width + x]); };
  EXPECT_EQ(block[(y0 + 120) * screen_width + x0], metaball_shade_normal(lights, n)) << "the top-left corner";
  for (int u = 0; u < 16; u += 2) {
    EXPECT_EQ(red_at(x0 + u, y0), 144u) << "top row, x " << u;
    EXPECT_EQ(red_at(x0, y0 + u), 144u) << "left column, y " << u;
    if (u == 0) continue;
    EXPECT_LT(red_at(x0 + u, y0 + u), red_at(x0 + u - 2, y0 + u - 2)) << "diagonal at " << u;
    EXPECT_EQ(red_at(x0 + u + 1, y0 + u + 1), red_at(x0 + u, y0 + u)) << "a 2 x 2 unit is one colour";
  }
  EXPECT_EQ(red_at(x0 + 14, y0 + 14), 7u) << "144 x (1 - 14/16 x 14/16)^2 = 7.9";
  EXPECT_EQ(lit_pixels(block.pixels()), 256);
}

TEST(FillBlock, BlocksOutsideTheGridPixelsAreNotDrawn) {
  auto caster = caster_with_hits({});
  ScreenBuffer shade;
  const std::pair<int, int> outside[] = {{-2, 0}, {626, 0}, {0, 226}, {0, -16}};
  for (auto [x0, y0] : outside) {
    metaball_fill_block_marched(caster->field, x0, y0, scene_eye, shade.pixels());
    metaball_fill_block_blended(caster->field, x0, y0, scene_eye, shade.pixels());
  }
  EXPECT_EQ(caster->field.tally.pixel_marches + caster->field.tally.normal_marches, 0);
  EXPECT_EQ(lit_pixels(shade.pixels()), 0);
}

}  // namespace
