// The metaball field and its marches: the falloff table's ends, bounding
// spheres, the thresholds of the three marches, their start counters, the
// bound on every march, and the shading of a normal.
#include "scenes/metaball_march.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "scene_rig.h"

namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

TEST(MetaballFalloffTable, RunsFromOneHundredAtACentreToAFlatTail) {
  MetaballFalloffTable table;
  metaball_falloff_table_build(table);
  // Squared distance, the falloff there.
  const std::pair<double, double> cases[] = {
      {0.0, 100.0}, {0.99, 100.0},  // the centre's entry 0
      {1.0, 1.0},   {4.5, 0.5},     // 1 / sqrt(4): truncated to entry 4
      {64.0, 0.125}, {1023.9, 1.0 / std::sqrt(1023.0)},
      {1024.0, 0.05}, {5000.0, 0.05}, {1e300, 0.05},  // the tail is higher than 1 / 32
      {std::numeric_limits<double>::infinity(), 0.05}, {nan, 0.05},
  };
  for (const auto& [squared_distance, falloff] : cases) {
    EXPECT_DOUBLE_EQ(metaball_falloff_at(table, squared_distance), falloff) << "squared distance " << squared_distance;
  }
}

TEST(SphereTest, HitsOnlyWhereTheLineCrossesTheSphereAndEntersOnTheNearSide) {
  const Vector3 eye{0, 0, 10}, target{0, 0, -246};  // the z axis, from an eye off the origin
  const struct {
    Vector3 centre;
    bool hits;
    double entry_z;  // when it hits
  } cases[] = {
      {{0, 0, -100}, true, -68.0},  // through the centre: 32 before it
      {{8, 0, -84}, true, -84.0 + std::sqrt(1024.0 - 64.0)},
      {{32, 0, -50}, false, 0.0},  // touching: no crossing
      {{31.9, 0, -50}, true, -50.0 + std::sqrt(1024.0 - 31.9 * 31.9)},
      {{0, 40, -50}, false, 0.0},
  };
  for (const auto& c : cases) {
    MetaballBlob blob;
    blob.centre = c.centre;
    EXPECT_EQ(metaball_sphere_test(eye, target, blob), c.hits) << "centre " << vector_text(c.centre);
    if (!c.hits) continue;
    const Vector3 entry = metaball_sphere_entry(eye, target, blob);
    EXPECT_NEAR(entry.z, c.entry_z, 1e-9) << "centre " << vector_text(c.centre);
  }
}

// Three blobs about the ray from the origin straight down -z. Blob 2 sits on
// the ray at depth 100, blobs 1 and 3 beside it at depth 84. At (0, 0, -84)
// blob 1 adds 1/sqrt(trunc(x1^2)), blob 2 and blob 3 1/16 each: with x1 = 8
// the sum is exactly 0.25, and every point before it sums to less.
struct Setting {
  MetaballField field;
  Vector3 eye{0, 0, 0}, target{0, 0, -256};

  explicit Setting(double x1) {
    metaball_falloff_table_build(field.falloff);
    field.blobs[0].centre = {x1, 0, -84};
    field.blobs[1].centre = {0, 0, -100};
    field.blobs[2].centre = {16, 0, -84};
    field.lights = {Vector3{1, 0, 0}, Vector3{0, 1, 0}, Vector3{0, 0, 1}};
  }
};

TEST(Marches, AFieldOfExactlyAQuarterIsAGridHitButAPixelAndNormalMissAndAHitIsShadedByItsUnitNormal) {
  const struct {
    double x1, grid_hit_z;  // grid_hit_z 0: a miss
    bool surface_hit;       // of the pixel and the normal march
  } cases[] = {
      {8.0, -84.0, false},  // exactly 0.25 at -84
      {7.5, -83.0, true},   // above 0.25 one step earlier
      {8.5, 0.0, false},    // below 0.25 where the ray reaches the blobs' depth
  };
  for (const auto& c : cases) {
    Setting grid(c.x1), pixel(c.x1), normal(c.x1);
    for (MetaballBlob& blob : grid.field.blobs) metaball_sphere_test(grid.eye, grid.target, blob);
    const Vector3 hit = metaball_march_grid_ray(grid.field, grid.eye, grid.target);
    EXPECT_EQ(vector_text(hit), vector_text(Vector3{0, 0, c.grid_hit_z})) << "grid march, x " << c.x1;
    const Pixel colour = metaball_march_pixel(pixel.field, pixel.eye, pixel.target);
    const Vector3 n = metaball_march_normal(normal.field, normal.eye, normal.target);
    EXPECT_EQ(colour != 0, c.surface_hit) << "pixel march, x " << c.x1;
    EXPECT_EQ(vec_length(n) != 0.0, c.surface_hit) << "normal march, x " << c.x1 << ": " << vector_text(n);
    if (!c.surface_hit) continue;
    // At (0, 0, -83): blob 1 lies to +x and behind, blob 2 behind, blob 3 to +x.
    EXPECT_TRUE(std::abs(vec_length(n) - 1.0) < 1e-12 && n.x < 0 && n.y == 0 && n.z > 0) << vector_text(n);
    EXPECT_EQ(colour, metaball_shade_normal(pixel.field.lights, n));
  }
}

TEST(Marches, EachKindStartsBackFromWhereItsLastMarchEnded) {
  // With x1 = 8 every march along the ray ends at depth 84: the counter ends
  // at 84 whatever it started from, and the next march of the same kind
  // starts 7 (pixel) or 20 (normal) units before.
  Setting s(8.0);
  const struct {
    const char* kind;
    std::int32_t pixel_start, normal_start;
    std::int64_t steps;  // of this march
  } steps[] = {
      {"pixel", 84, 10, 81},   // from 10 - 7 = 3
      {"pixel", 84, 10, 7},    // from 77
      {"normal", 84, 84, 94},  // from 10 - 20 = -10, behind the eye
      {"normal", 84, 84, 20},  // from 64
  };
  for (const auto& step : steps) {
    const std::int64_t before = s.field.tally.pixel_steps + s.field.tally.normal_steps;
    if (std::string(step.kind) == "pixel")
      metaball_march_pixel(s.field, s.eye, s.target);
    else
      metaball_march_normal(s.field, s.eye, s.target);
    EXPECT_EQ(s.field.pixel_march_start, step.pixel_start) << step.kind;
    EXPECT_EQ(s.field.normal_march_start, step.normal_start) << step.kind;
    EXPECT_EQ(s.field.tally.pixel_steps + s.field.tally.normal_steps - before, step.steps) << step.kind;
  }
  EXPECT_TRUE(s.field.tally.pixel_marches == 2 && s.field.tally.normal_marches == 2);
}

TEST(Marches, AStartBeyondTheBlobsMissesAndOneFarBehindTheEyeIsHeldWithinTheLimit) {
  const struct {
    std::int32_t counter, counter_after;
    const char* why;
  } cases[] = {
      {200, 193, "starts past the blobs' depth: no step"},
      {std::numeric_limits<std::int32_t>::min(), 0, "held at -limit; the limit's steps end at the eye"},
  };
  for (const auto& c : cases) {
    Setting s(7.5);  // hits at depth 83 when marched from near the eye
    s.field.pixel_march_start = c.counter;
    EXPECT_EQ(metaball_march_pixel(s.field, s.eye, s.target), 0u) << c.why;
    EXPECT_EQ(s.field.pixel_march_start, c.counter_after) << c.why;
  }
}

TEST(Marches, ARayThatNeverReachesTheBlobsDepthEndsAfterTheStepLimitAsDoNonFiniteBlobs) {
  // A ray along +x at depth 0 passes the three blobs 20 units above their
  // common centre: inside the bounding spheres, never at their depth, and
  // with a field of at most 3/20, never on the surface.
  Setting s(0.0);
  for (MetaballBlob& blob : s.field.blobs) blob.centre = {100, 0, -20};
  const Vector3 sideways{256, 0, 0};
  for (MetaballBlob& blob : s.field.blobs) ASSERT_TRUE(metaball_sphere_test(s.eye, sideways, blob));
  EXPECT_EQ(vector_text(metaball_march_grid_ray(s.field, s.eye, sideways)), vector_text(Vector3{}));
  EXPECT_EQ(s.field.tally.grid_steps, metaball_march_step_limit);

  // Every counter-started march walks the whole limit and the counter is
  // pulled back each time: it stays bounded march after march.
  for (int i = 0; i < 3000; ++i) {
    ASSERT_EQ(metaball_march_pixel(s.field, s.eye, sideways), 0u) << "march " << i;
    ASSERT_EQ(vector_text(metaball_march_normal(s.field, s.eye, sideways)), vector_text(Vector3{})) << "march " << i;
    ASSERT_LE(s.field.pixel_march_start, 2 * metaball_march_step_limit) << "march " << i;
    ASSERT_LE(s.field.normal_march_start, 2 * metaball_march_step_limit) << "march " << i;
  }
  EXPECT_EQ(s.field.tally.pixel_steps, 3000LL * metaball_march_step_limit);
  // Non-finite blobs: misses after as bounded a walk.
  Setting n(8.0);
  for (MetaballBlob& blob : n.field.blobs) blob.centre = {nan, nan, nan};
  EXPECT_EQ(metaball_march_pixel(n.field, n.eye, n.target), 0u);
  EXPECT_EQ(vector_text(metaball_march_normal(n.field, n.eye, n.target)), vector_text(Vector3{}));
  EXPECT_LE(n.field.tally.pixel_steps + n.field.tally.normal_steps, 2 * metaball_march_step_limit);
}

TEST(ShadeNormal, SquaresTheDotProductPerLightAndSaturates) {
  // The blobby scene's lights at phase 0: red (0, 2, 2), green and blue turned on by 0.4 and 0.8.
  const std::array<Vector3, 3> lights = {Vector3{0, 2, 2}, Vector3{4 * std::sin(0.4), 2 * std::cos(0.4), 2},
                                         Vector3{4 * std::sin(0.8), 2 * std::cos(0.8), 2}};
  const double r = 1 / std::sqrt(2.0);
  // A normal, and the red light 1 gives it.
  const std::pair<Vector3, unsigned> cases[] = {
      {{0, r, r}, 255},    // unit along light 1: 64 x 8 = 512
      {{0, 0, 0.25}, 16},  // dot 0.5: 64 x 0.25
      {{0, 0, 0.3}, 23},   // 23.04 truncated
      {{1, 0, 0}, 0},      // square to light 1
      {{0, 0, 0}, 0},      // a missed corner
      {{nan, nan, nan}, 0},
  };
  for (const auto& [n, red] : cases) {
    const Pixel facing = metaball_shade_normal(lights, n);
    EXPECT_EQ(pixel_red(facing), red) << "n " << vector_text(n);
    EXPECT_EQ(metaball_shade_normal(lights, vec_scale(n, -1.0)), facing) << "the opposite of " << vector_text(n);
  }
  for (int k = 0; k < 3; ++k) {
    const Pixel colour = metaball_shade_normal(lights, vec_scale(lights[k], 1 / vec_length(lights[k])));
    const unsigned channel = k == 0 ? pixel_red(colour) : k == 1 ? pixel_green(colour) : pixel_blue(colour);
    EXPECT_EQ(channel, 255u) << "unit normal along light " << k + 1;
  }
}

}  // namespace
