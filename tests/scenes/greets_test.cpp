// The greets scene: the ring-wave grid and its source map, the fade levels
// and the black border, and what each of its six phases shows.
#include "scenes/greets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "scene_rig.h"
#include "scenes/greets_ripple.h"
#include "shell/pixels/fixed_point.h"
#include "support/picture_check.h"

namespace {

TEST(GreetsRipple, NodesSwingInRingsFromTheCentreAndStopOnTheEdges) {
  // Worked by hand from the node's distance to the centre; where the swing c
  // is below 0.5 a node of the left column or top row would leave the
  // screen and stops at 0, one of the right column or bottom row at 640 or 480.
  const std::array<int, 5> cases[] = {
      // the phase before the frame (which adds 10), node row and column, where it goes
      {90, 0, 0, 0, 0},        // c ~ 0: x -19 and y -29 clamp to 0
      {50, 14, 0, 0, 222},     // left column: only x leaves the screen
      {78, 29, 39, 640, 480},  // bottom right: 642 and 491 clamp
      {190, 0, 0, 60, 90},     // c = 2: pulled in by three times its reach
      {390, 0, 0, 59, 89},     // the phase wraps to 0; c just below 2: the turn is 6.28318, not 2 pi
  };
  for (const auto& [phase, row, column, x, y] : cases) {
    RippleGrid grid;
    greets_ripple_grid_at_rest(grid);
    grid.phase = phase;
    greets_build_ripple_grid(grid);
    const int n = node_grid_node(row, column);
    EXPECT_EQ(std::tuple(from_fixed(grid.x[n]), from_fixed(grid.y[n]), grid.phase),
              std::tuple(x, y, (phase + 10) % 400))
        << "phase " << phase << ", node (" << row << ", " << column << "): x, y and the phase after";
  }
}

TEST(GreetsRipple, TheMapReadsEachCellFromItsNodesAndNodesOnTheFarEdgesReadPastTheRowOrPicture) {
  RippleGrid grid;
  greets_ripple_grid_at_rest(grid);
  std::vector<std::int32_t> map(screen_pixels);
  greets_build_grid_map(grid, map.data());
  // At rest every pixel reads itself, but for the last column and row of
  // cells, which have no node beyond and read their top-left node's.
  for (int i = 0; i < screen_pixels; ++i) {
    ASSERT_EQ(map[i], std::min(i % 640, 624) + std::min(i / 640, 464) * 640)
        << "(" << i % 640 << ", " << i / 640 << ")";
  }
  grid.y[node_grid_node(29, 10)] = grid.y[node_grid_node(29, 11)] = to_fixed<std::int64_t>(480);  // the bottom edge
  grid.x[node_grid_node(5, 39)] = grid.x[node_grid_node(6, 39)] = to_fixed<std::int64_t>(640);    // the right edge
  greets_build_grid_map(grid, map.data());
  for (int k = 0; k < 256; ++k) {  // past the picture, for the checked gather to read pixel 0; the next row
    EXPECT_EQ(map[(464 + k / 16) * 640 + 160 + k % 16], 480 * 640 + 160 + k % 16) << "bottom cell pixel " << k;
    EXPECT_EQ(map[(80 + k / 16) * 640 + 624 + k % 16], (81 + k / 16) * 640) << "right cell pixel " << k;
  }
}

TEST(GreetsPictures, FadesAreHeldPastTheirEndAndTheBorderIs16PixelsWide) {
  EXPECT_TRUE(greets_fade_in_level(45.0, 40.0) == 0 && greets_fade_out_level(45.0, 30.0) == 255) << "held past the end";
  ScreenBuffer screen, expected;
  fill(screen, 0x00FFFFFF);
  for (int y = 16; y < 464; ++y) std::fill(&expected[y * 640 + 16], &expected[y * 640 + 624], 0x00FFFFFFu);
  greets_draw_black_border(screen.pixels());
  EXPECT_TRUE(same_picture("greets_border", expected.pixels(), screen.pixels()));
}

TEST(GreetsScene, EachPhaseShowsItsPicturesWithItsFade) {
  // Phases of 2 units, keys cut phases 1 to 5 after two frames each: every
  // phase shows time 0, then 0.9765625, when its fade is at 130 (fade-in)
  // or 124 (fade-out). The greetings picture is one grey the blur keeps
  // (8 x (248 >> 3)); the closing words cyan and red.
  SceneRig rig(coarse_rate, {2, 4, 6, 8, 10});
  greets_init(rig.shared);
  greets_set_parameters({2.0, 2.0, 2.0, 2.0, 2.0, 2.0});
  fill(*rig.shared.work_n, 0x00F8F8F8);
  fill(*rig.shared.words_pictures[6], 0x0000FFFF);
  fill(*rig.shared.words_pictures[7], 0x00FF0000);
  greets_prepare();
  greets_run(rig.context());
  ASSERT_EQ(rig.frames.size(), 13u);
  EXPECT_GT(lit_pixels(rig.frames[0].data()), 1000) << "the flight shows the lattice";
  // Phases 1-4: the darkest red inside the border on the red scan lines is
  // the picture under the lattice, which only adds light.
  const std::pair<int, unsigned> backgrounds[] = {{0, 0},   {2, 0},   {3, 8 * ((248 - 130) >> 3)},
                                                  {4, 248}, {6, 248}, {7, 248 - 124}};
  for (const auto& [frame, red] : backgrounds) {
    unsigned darkest = 255;
    for (int y = 16; y < 464; y += 4) {
      for (int x = 16; x < 624; ++x) darkest = std::min(darkest, pixel_red(rig.frames[frame][y * 640 + x]));
    }
    EXPECT_EQ(darkest, red) << "frame " << frame;
  }
  // Phases 5 and 6: the first words fading in, then both words.
  const Pixel centres[] = {0, 0x00007D7D, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF};
  for (int k = 0; k < 5; ++k) EXPECT_EQ(pixel_text(rig.frames[8 + k][240 * 640 + 320]), pixel_text(centres[k]));
}

}  // namespace
