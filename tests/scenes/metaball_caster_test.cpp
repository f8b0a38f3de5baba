// The coarse-to-fine caster: which grid rays are marched, which blocks are
// filled and how, the wire mesh, and the blend of a block's corner normals.
#include "scenes/metaball_caster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "scene_rig.h"

namespace {

const Vector3 eye{0.5, 0.5, 0.0};  // the blobby scene's
const Vector3 far_away{1000, 0, -50};

// All three blobs at `centre` but the third moved by `third_offset`; hits set by hand.
std::unique_ptr<MetaballCaster> caster_with(Vector3 centre, Vector3 third_offset = {},
                                            const std::vector<std::pair<int, int>>& hits = {}) {
  auto caster = std::make_unique<MetaballCaster>();
  metaball_falloff_table_build(caster->field.falloff);
  caster->field.lights = {Vector3{0, 2, 2}, Vector3{1, 2, 2}, Vector3{2, 1, 2}};
  for (MetaballBlob& blob : caster->field.blobs) blob.centre = centre;
  caster->field.blobs[2].centre = vec_add(centre, third_offset);
  for (auto [r, c] : hits) caster->hit_grid[r][c] = {0, 0, -50};
  return caster;
}

TEST(CastGrid, MarchesARayOnlyThroughAllThreeBoundingSpheres) {
  // Grid ray (7, 20) at depth 50, the third blob moved along x from it.
  const Vector3 on_ray = vec_add(eye, vec_scale(vec_sub(metaball_grid_target(320, 112), eye), 50.0 / 256));
  for (const auto& [offset, hit] : {std::pair{0.0, true}, {20.0, true}, {40.0, false}}) {
    auto caster = caster_with(on_ray, {offset, 0, 0});
    metaball_cast_grid(*caster, eye);
    EXPECT_EQ(metaball_grid_hit(*caster, 7, 20), hit) << "blob 3 moved by " << offset;
  }
}

TEST(ShadeBlocks, FillsEachBlockBesideAVisitedHitOnceBlendingOnlyWhenAllFourCornersHit) {
  const std::tuple<const char*, std::vector<std::pair<int, int>>, int, int> cases[] = {
      // hits; blocks marched, blended
      {"one hit", {{5, 10}}, 4, 0},
      {"a square of four", {{5, 10}, {5, 11}, {6, 10}, {6, 11}}, 8, 1},
      {"only the top or bottom row or the side columns: never visited", {{0, 10}, {14, 11}, {5, 0}, {5, 39}}, 0, 0},
      {"a square on the top row", {{0, 10}, {0, 11}, {1, 10}, {1, 11}}, 5, 1},
      {"three by three", {{4, 9}, {4, 10}, {4, 11}, {5, 9}, {5, 10}, {5, 11}, {6, 9}, {6, 10}, {6, 11}}, 12, 4},
  };
  for (const auto& [name, hits, marched, blended] : cases) {
    auto caster = caster_with(far_away, {}, hits);  // every march misses
    ScreenBuffer shade;
    metaball_shade_blocks(*caster, eye, shade.pixels());
    int filled = 0;
    for (const auto& row : caster->block_filled) filled += static_cast<int>(std::count(row.begin(), row.end(), true));
    const MetaballMarchTally& tally = caster->field.tally;
    EXPECT_EQ(std::tuple(filled, tally.pixel_marches, tally.normal_marches),
              std::tuple(marched + blended, 64 * marched, 4 * blended))
        << name << ": blocks filled, pixel and normal marches";
  }
}

TEST(DrawGridWire, JoinsNeighbouringHitsAtTwiceTheSpacingRaised) {
  // Grid entries (5, 10) and (5, 11) have their wire points at (0, 100) and (32, 100).
  ScreenBuffer wire, lonely;
  metaball_draw_grid_wire(*caster_with(far_away, {}, {{5, 10}, {5, 11}}), wire.pixels());
  for (int x = 1; x < 32; ++x) EXPECT_EQ(wire[100 * screen_width + x], 0xFFFFFFu) << "on the line at x " << x;
  EXPECT_TRUE(wire[101 * 640 + 16] == 0 && wire[100 * 640 + 40] == 0 && lit_pixels(wire.pixels()) <= 40);
  metaball_draw_grid_wire(*caster_with(far_away, {}, {{5, 10}}), lonely.pixels());
  EXPECT_EQ(lit_pixels(lonely.pixels()), 0) << "a hit without hit neighbours";
}

TEST(BlendBlockNormals, AMissedCornerDarkensTheBlockTowardsIt) {
  // Light 1 gives red 144 for the unit normal (1, 0, 0); the bottom-right
  // corner missed. The blend is n (1 - x/16 y/16) at grid-pixel (x, y) of the
  // block: full along the top row and left column, darker towards the corner.
  const Vector3 n{1, 0, 0};
  ScreenBuffer block;
  metaball_blend_block_normals({n, n, n, Vector3{}}, {Vector3{1.5, 0, 0}, {0, 1, 0}, {0, 0, 1}}, 160, 64,
                               block.pixels());
  const auto red_at = [&](int u, int v) { return pixel_red(block[(64 + v + 120) * screen_width + 160 + u]); };
  for (int u = 0; u < 16; u += 2) {
    EXPECT_TRUE(red_at(u, 0) == 144 && red_at(0, u) == 144) << "top row and left column at " << u;
    EXPECT_EQ(red_at(u + 1, u + 1), red_at(u, u)) << "a 2 x 2 unit is one colour";
    EXPECT_TRUE(u == 0 || red_at(u, u) < red_at(u - 2, u - 2)) << "diagonal at " << u;
  }
  EXPECT_EQ(red_at(14, 14), 7u) << "144 x (1 - 14/16 x 14/16)^2 = 7.9";
  EXPECT_EQ(lit_pixels(block.pixels()), 256);
}

}  // namespace
