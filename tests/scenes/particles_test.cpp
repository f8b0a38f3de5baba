// The particles scene: the figure's random arms, projection and lines, where
// snapshots are taken, the warp map, and the five freeze moments.
#include "scenes/particles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "scene_rig.h"
#include "scenes/particles_figure.h"
#include "scenes/particles_snapshots.h"
#include "scenes/particles_warp.h"
#include "shell/pixels/fixed_point.h"
#include "support/picture_check.h"

namespace {

TEST(ParticlesFigure, ArmPathsWanderAroundTheirRestPointsInTheRandOrderOfArmKeyMemberAxis) {
  std::srand(3);
  std::vector<int> draws(6 * 100 * 3 * 3 + 1);
  for (int& draw : draws) draw = std::rand();
  FigureArmPaths arms;
  figure_init_arm_paths(arms);  // a second start begins afresh
  std::srand(3);
  figure_init_arm_paths(arms);
  EXPECT_EQ(std::rand(), draws.back()) << "three draws per key of members 1 to 3, no more";
  const Vector3 directions[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
  const auto wander = [&](int d) { return 4.0 * ((draws[d] % 1000) * 0.002 - 1.0); };
  for (int path = 0; path < figure_arm_path_count; ++path) {
    const int g = path / 4, m = path % 4;  // arm, member
    ASSERT_EQ(arms.members[path].count, figure_arm_key_count);
    for (int i = 0; i < figure_arm_key_count; ++i) {
      const Vector3 rest = vec_scale(directions[g], 2.0 * m);
      Vector3 expected = rest;  // member 0 and key 0 stay at rest
      if (i > 0 && m > 0) {
        const int d = ((g * 100 + i - 1) * 3 + m - 1) * 3;
        expected = vec_add(rest, Vector3{wander(d), wander(d + 1), wander(d + 2)});
      }
      EXPECT_LE(vec_length(vec_sub(arms.members[path].points[i], expected)), 1e-15)
          << "arm " << g << ", member " << m << ", key " << i;
    }
  }
}

TEST(ParticlesFigure, ProjectionDividesByDepthAndKeepsTheLastPositionBehindTheCamera) {
  const struct {
    Vector3 working, screen;  // the screen position from (11, 22, 3) before
    double stored_z;          // the depth left in the working position
  } projections[] = {
      {{1, 2, 4}, {400, 400, 4}, 4},
      {{1, -1, 0.00005}, {3200320, -3199760, 0.0001}, 0.0001},  // nearly touching: pushed out
      {{1, 1, -0.00005}, {11, 22, -1}, -0.0001},                // just behind: pushed back
      {{3, 3, -5}, {11, 22, -1}, -5},                           // behind
  };
  for (const auto& c : projections) {
    ParticleFigure figure = figure_create();
    for (FigureVertex& v : figure.vertices) v = {{}, c.working, {11.0, 22.0, 3.0}};
    figure_project(figure, figure_focal, figure_centre_x, figure_centre_y);
    EXPECT_EQ(vector_text(figure.vertices[29].screen), vector_text(c.screen)) << "from " << vector_text(c.working);
    EXPECT_EQ(figure.vertices[29].working.z, c.stored_z) << "from " << vector_text(c.working);
  }
}

TEST(ParticlesFigure, LinesChainEachArmAndLinkTheArmsFirstSamples) {
  ParticleFigure figure = figure_create();  // vertex 5g + s at (100 + 80 s, 50 + 70 g): each arm a row
  for (int v = 0; v < 30; ++v) figure.vertices[v].screen = {100.0 + 80 * (v % 5), 50.0 + 70 * (v / 5), 1};
  ScreenBuffer picture;
  figure_draw(figure, picture.pixels());
  const auto lit = [&](int x, int y) { return picture[at(x, y)] == figure_line_colour; };
  for (int g = 0, y = 50; g < 6; ++g, y += 70) {  // a link from an arm's first sample only, to the next arm's
    EXPECT_TRUE(lit(100, y) && lit(420, y) && !lit(430, y) && lit(100, y + 35) == (g < 5) && !lit(420, y + 35)) << g;
  }
}

TEST(ParticlesSnapshots, TheBlockIsCentredOnTheAnchorAndKeptInsideThePicture) {
  ScreenBuffer picture;  // each pixel its own index
  for (int i = 0; i < screen_pixels; ++i) picture[i] = static_cast<Pixel>(i);
  const std::array<double, 4> anchors[] = {
      // anchor (x, y), the block's top-left corner
      {320, 240, 256, 176}, {64.9, 64.9, 0, 0},       {-1e300, -30, 0, 0},  // 64.9 truncated
      {575, 415, 511, 351}, {639.9, 1e300, 512, 352}, {std::nan(""), 300, 0, 236},
  };
  SnapshotRing ring;
  snapshot_ring_allocate(ring);
  for (const auto& [x, y, x0, y0] : anchors) {
    snapshot_grab(ring, x, y, picture.pixels());
    const Pixel* block = snapshot_block(ring, ring.slot);
    const int corner = at(static_cast<int>(x0), static_cast<int>(y0));
    EXPECT_TRUE(block[0] == Pixel(corner) && block[snapshot_pixels - 1] == Pixel(corner + 127 * 641))
        << "anchor (" << x << ", " << y << "): block from (" << block[0] % 640 << ", " << block[0] / 640 << ")";
  }
  EXPECT_EQ(ring.slot, 6) << "one slot further per snapshot";
}

TEST(ParticlesWarp, AMovedNodeBendsItsCellsTheLastCellsAreFlattenedAndRowsShiftUpTwo) {
  WarpGrid grid;
  particles_warp_grid_at_rest(grid);
  // Node (row 2, column 3), at rest (48, 32), moved to (64, 40); node (0, 0)
  // to (-1, -1), outside the picture.
  grid.x[node_grid_node(2, 3)] += 16 * fixed_one;
  grid.y[node_grid_node(2, 3)] += 8 * fixed_one;
  grid.x[node_grid_node(0, 0)] = grid.y[node_grid_node(0, 0)] = -fixed_one;
  std::vector<std::int32_t> map(screen_pixels), shift(screen_pixels);
  particles_build_warp_map(grid, map.data());
  const std::array<int, 3> cases[] = {
      {48, 32, at(64, 40)},     {56, 32, at(64, 36)},  // the node; halfway to node (2, 4) at (64, 32)
      {48, 40, at(56, 44)},     {47, 32, at(62, 39)},  // halfway to node (3, 3) at (48, 48); 15/16 from (32, 32)
      {48, 31, at(63, 38)},     {0, 0, at(-1, -1)},    // 15/16 from (48, 16); an index for the checked gather
      {630, 100, at(624, 100)}, {100, 470, at(100, 464)}, {639, 479, at(624, 464)},  // no node beyond
  };
  for (const auto& [x, y, source] : cases) EXPECT_EQ(map[at(x, y)], source) << "pixel (" << x << ", " << y << ")";
  particles_fill_row_shift_table(shift.data());
  for (int i : {at(0, 0), at(639, 1), at(0, 2), at(639, 479)}) EXPECT_EQ(shift[i], i < 1280 ? i : i - 1280) << i;
}

TEST(ParticlesScene, FreezeMomentsToggleOneAFrameInOrderAndTheFifthStopsTheSimulation) {
  // Frames at 0, 0, 0.98, 1.95, ... 11.72. Live frames show the scan lines'
  // black rows ('L'), frozen ones the full-colour still ('F').
  const std::pair<std::array<double, 5>, const char*> cases[] = {{{3, 3, 6, 6, 9}, "LLLLLFLLFLLFFF"},
                                                                 {{5, 2, 7, 1, 100}, "LLLLLLLFLFLLLL"}};
  for (const auto& [moments, expected] : cases) {
    SceneRig rig;
    particles_init(rig.shared);
    particles_set_parameters({12.0, 0.0, 0.0, moments});
    particles_prepare();
    fill(*rig.shared.work_b, 0x00404040);  // a grey the channel blur keeps
    particles_run(rig.context());
    std::string looks;
    for (const std::vector<Pixel>& frame : rig.frames) looks += frame[at(5, 7)] == 0 ? 'L' : 'F';
    EXPECT_EQ(looks, expected);
    if (moments[4] != 9) continue;
    EXPECT_TRUE(same_picture("particles_still", rig.frames[11].data(), rig.frames[13].data())) << "the still holds";
    EXPECT_FALSE(rig.frames[8] == rig.frames[11]) << "the stills of the third and fifth toggles should differ";
  }
}

}  // namespace
