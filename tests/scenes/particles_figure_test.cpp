// The particles figure: the random arm paths and the rand() order they draw
// in, the arm samples, the placement in front of the camera, the projection
// and the 29 lines.
#include "scenes/particles_figure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "scene_rig.h"

namespace {

void expect_near(const Vector3& got, const Vector3& expected, double tolerance, const std::string& what) {
  EXPECT_TRUE(std::abs(got.x - expected.x) <= tolerance && std::abs(got.y - expected.y) <= tolerance &&
              std::abs(got.z - expected.z) <= tolerance)
      << what << ": got " << vector_text(got) << ", expected " << vector_text(expected);
}

TEST(ParticlesFigure, ArmPathsWanderAroundTheirRestPointsInTheRandOrderOfArmKeyMemberAxis) {
  constexpr unsigned seed = 3;
  std::srand(seed);
  std::vector<int> draws(figure_arm_count * 100 * 3 * 3);
  for (int& d : draws) d = std::rand();
  const int after = std::rand();
  std::srand(seed);
  FigureArmPaths arms;
  figure_init_arm_paths(arms);
  EXPECT_EQ(std::rand(), after) << "figure_init_arm_paths draws three numbers per key of members 1 to 3, no more";

  const Vector3 directions[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
  const auto wander = [&](int index) { return 4.0 * ((draws[index] % 1000) * 0.002 - 1.0); };
  for (int g = 0; g < figure_arm_count; ++g) {
    for (int m = 0; m < figure_arm_member_count; ++m) {
      const SplinePath& path = arms.members[g * 4 + m];
      const std::string what = "arm " + std::to_string(g) + " member " + std::to_string(m);
      ASSERT_EQ(path.count, figure_arm_key_count) << what;
      const Vector3 rest = vec_scale(directions[g], 2.0 * m);
      for (int i = 0; i < figure_arm_key_count; ++i) {
        const int first = ((g * 100 + i - 1) * 3 + m - 1) * 3;  // member 0 and key 0 stay at rest
        const Vector3 expected =
            i == 0 || m == 0 ? rest : vec_add(rest, {wander(first), wander(first + 1), wander(first + 2)});
        expect_near(path.points[i], expected, 1e-15, what + " key " + std::to_string(i));
      }
    }
  }
}

TEST(ParticlesFigure, ArmSamplesAreTheSplineThroughTheMembersAtFiveStepsWithoutReallocating) {
  std::srand(8);
  FigureArmPaths arms;
  figure_init_arm_paths(arms);
  ParticleFigure figure = figure_create();
  const Vector3* sample_keys = arms.sample_path.points.data();
  for (int frame = 0; frame < 40; ++frame) {
    figure_advance_arm_paths(arms);
    figure_build_arm_samples(arms, figure);
    for (int g = 0; g < figure_arm_count; ++g) {
      // The path built from scratch, as a reference for the reused one.
      SplinePath fresh;
      path_init(fresh);
      for (int m = 0; m < figure_arm_member_count; ++m) {
        const Vector3 p = path_position(arms.members[g * 4 + m]);
        path_add_key(fresh, p.x, p.y, p.z, m);
      }
      fresh.step = 0.4;
      for (int s = 0; s < figure_arm_sample_count; ++s) {
        path_advance(fresh);
        const Vector3 got = figure.vertices[g * 5 + s].rest;
        const Vector3 expected = path_position(fresh);
        ASSERT_TRUE(got.x == expected.x && got.y == expected.y && got.z == expected.z)
            << "frame " << frame << ", arm " << g << ", sample " << s << ": got " << vector_text(got) << ", expected "
            << vector_text(expected);
      }
    }
  }
  EXPECT_EQ(arms.sample_path.points.data(), sample_keys) << "the sample path's keys were reallocated";
  EXPECT_EQ(arms.sample_path.time, 2.0) << "the last sample at path time 2";
}

TEST(ParticlesFigure, PlacementTurnsAboutTheAxisMovesByThePositionAndMirrorsForTheCamera) {
  const double third = 1.0 / 3.0;
  struct Case {
    const char* what;
    Vector3 rest, position, axis;
    Vector3 expected;  // view space
  };
  const Case cases[] = {
      {"the origin goes to minus the position", {0, 0, 0}, {1, 2, -30}, {0, 0, 1}, {1 - 0.5, 2 - 0.5, 30}},
      {"a point on the axis is not turned", {2 * third, 4 * third, 4 * third}, {0, 0, -10}, {1, 2, 2},
       {-2 * third - 0.5, -4 * third - 0.5, 4 * third + 10}},
      // About z with w = 1, (1, 0, 0) turns to (-1, -2, 0), of length sqrt 5.
      {"across the axis: turned and scaled by sqrt 5", {1, 0, 0}, {0, 0, -10}, {0, 0, 1}, {1 - 0.5, 2 - 0.5, 10}},
  };
  for (const Case& c : cases) {
    ParticleFigure figure = figure_create();
    for (FigureVertex& v : figure.vertices) v.rest = c.rest;
    figure.pose.position = c.position;
    figure.pose.axis = c.axis;
    Camera camera;
    figure_place(figure, camera);
    expect_near(figure.vertices[17].working, c.expected, 1e-12, c.what);
  }
}

TEST(ParticlesFigure, ProjectionDividesByDepthAndKeepsTheLastPositionBehindTheCamera) {
  constexpr Vector3 previous{11.0, 22.0, 3.0};  // what the screen position held
  struct Case {
    const char* what;
    Vector3 working;
    double stored_z;  // the depth left in the working position
    Vector3 screen;
  };
  const Case cases[] = {
      {"in front", {1, 2, 4}, 4, {400, 400, 4}},
      {"nearly touching: pushed out", {1, -1, 0.00005}, 0.0001, {3200320, -3199760, 0.0001}},
      {"just behind: pushed back", {1, 1, -0.00005}, -0.0001, {11, 22, -1}},
      {"behind", {3, 3, -5}, -5, {11, 22, -1}},
  };
  for (const Case& c : cases) {
    ParticleFigure figure = figure_create();
    for (FigureVertex& v : figure.vertices) {
      v.working = c.working;
      v.screen = previous;
    }
    figure_project(figure, figure_focal, figure_centre_x, figure_centre_y);
    EXPECT_EQ(figure.vertices[29].working.z, c.stored_z) << c.what;
    expect_near(figure.vertices[29].screen, c.screen, 1e-6, c.what);
  }
}

// A figure whose vertex 5g + s sits at (100 + 80 s, 50 + 70 g): each arm a
// row, the arms' first samples one above the other.
ParticleFigure grid_figure() {
  ParticleFigure figure = figure_create();
  for (int g = 0; g < figure_arm_count; ++g) {
    for (int s = 0; s < figure_arm_sample_count; ++s)
      figure.vertices[g * 5 + s].screen = {100.0 + 80 * s, 50.0 + 70 * g, 1};
  }
  return figure;
}

TEST(ParticlesFigure, LinesChainEachArmAndLinkTheArmsFirstSamples) {
  ScreenBuffer picture;
  figure_draw(grid_figure(), picture.pixels());
  const auto lit = [&](int x, int y) { return picture[y * screen_width + x] == figure_line_colour; };
  for (int g = 0; g < figure_arm_count; ++g) {
    const int y = 50 + 70 * g;
    EXPECT_TRUE(lit(100, y) && lit(260, y) && lit(420, y)) << "arm " << g << ": its chain";
    EXPECT_FALSE(lit(430, y)) << "arm " << g << ": past its last sample";
    EXPECT_EQ(lit(100, y + 35), g < 5) << "arm " << g << ": link from its first sample to the next arm's";
    EXPECT_FALSE(lit(420, y + 35)) << "arm " << g << ": no link from its last sample";
  }
}

TEST(ParticlesFigure, EndPointsFarOffScreenAreClippedAndWildOnesDropped) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    const char* what;
    Vector3 far_end;  // vertex 1's screen position; vertex 0 at (320, 240)
    int x, y;         // a pixel on the way from vertex 0 towards vertex 1
    Pixel expected;
  };
  const Case cases[] = {
      {"far right", {1e12, 240, 1}, 600, 240, figure_line_colour},
      {"far left, beyond any int", {-1e15, 240, 1}, 20, 240, figure_line_colour},
      {"far below", {320, 3e9, 1}, 320, 470, figure_line_colour},
      {"infinitely far right: pulled onto the edge", {inf, 240, 1}, 600, 240, figure_line_colour},
      {"not a number: no line", {nan, nan, 1}, 330, 240, 0},
  };
  for (const Case& c : cases) {
    ParticleFigure figure = grid_figure();
    figure.vertices[0].screen = {320, 240, 1};
    figure.vertices[1].screen = c.far_end;
    ScreenBuffer picture;
    figure_draw(figure, picture.pixels());
    EXPECT_EQ(picture[c.y * screen_width + c.x], c.expected) << c.what << " at (" << c.x << ", " << c.y << ")";
  }
}

}  // namespace
