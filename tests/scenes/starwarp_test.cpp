// The starwarp scene: the warp table and the order of its rand() draws, the
// seed column, lines and bars, the corners of the spin square, and the
// lattice frame the scene starts from.
#include "scenes/starwarp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

#include "scene_rig.h"
#include "scenes/starwarp_warp.h"
#include "shell/pixels/pixel_ops.h"
#include "support/picture_check.h"

namespace {

TEST(WarpTable, EntriesStepAnEighthTowardsTheCentreAtLeastOnePixelAndStayInsideTheMiddle) {
  const std::array<int, 6> cases[] = {
      // pixel, draws r1 and r2, the pixel it reads
      {322, 242, 0, 0, 321, 241},  // offsets -2: an eighth is 0, still one pixel back
      {322, 242, 2, 2, 323, 243},  // the draws move the centre: offsets 0, one pixel forward
      {639, 479, 2, 2, 600, 450},  // offsets (-317, -237): -39.6 and -29.6 truncate to -39, -29
  };
  for (const auto& [x, y, r1, r2, to_x, to_y] : cases) {
    EXPECT_EQ(starwarp_warp_table_entry(x, y, r1, r2), to_y * 640 + to_x) << "(" << x << ", " << y << "), " << r1 << r2;
  }
  int failures = 0;
  for (int i = 0; i < 9 * screen_pixels; ++i) {  // every pixel with every pair of draws
    const int x = i % 640, y = i / 640 % 480, r1 = i / screen_pixels / 3, r2 = i / screen_pixels % 3;
    const std::int32_t entry = starwarp_warp_table_entry(x, y, r1, r2);
    const int to_x = entry % 640, to_y = entry / 640, dx = to_x - x, dy = to_y - y;
    const bool inside = to_x >= 40 && to_x <= 600 && to_y >= 30 && to_y <= 450;
    const bool towards = dx != 0 && dy != 0 && (dx > 0) == (320 - x + r1 >= 0) && (dy > 0) == (240 - y + r2 >= 0);
    if (!(inside && towards) && failures++ < 5) ADD_FAILURE() << "(" << x << ", " << y << "), draws " << r1 << r2;
  }
  ScreenBuffer table, expected;  // two draws per entry, rows first, the first draw for x
  std::srand(4242);
  starwarp_build_warp_table(table.indices());
  const int next_draw = std::rand();
  std::srand(4242);
  for (int i = 0; i < screen_pixels; ++i) {
    const int r1 = std::rand() % 3;
    expected.indices()[i] = starwarp_warp_table_entry(i % 640, i / 640, r1, std::rand() % 3);
  }
  EXPECT_TRUE(same_picture("starwarp_warp_table", expected.pixels(), table.pixels()));
  EXPECT_EQ(next_draw, std::rand()) << "the table takes exactly 614,400 draws";
}

TEST(StarwarpSeeds, TakeOnePaletteColumnTruncatedAndKeptInsideThePaletteIntoTheLinesOrTheBars) {
  constexpr double infinity = std::numeric_limits<double>::infinity();
  const std::pair<double, int> columns[] = {{0.99, 0},    {638.999, 638}, {639.0, 639},
                                            {640.0, 639}, {1e300, 639},   {infinity, 639},
                                            {-0.5, 0},    {-infinity, 0}, {std::nan(""), 0}};
  for (const auto& [column, expected] : columns) EXPECT_EQ(starwarp_palette_column(column), expected) << column;
  ScreenBuffer palette, lines, bars, expected_lines, expected_bars;
  for (int i = 0; i < screen_pixels; ++i) palette[i] = static_cast<Pixel>(i);
  starwarp_seed_lines(17.9, palette.pixels(), lines.pixels());
  starwarp_seed_bars(125.2, palette.pixels(), bars.pixels());
  for (int y = 0; y < screen_height; ++y) {
    for (int x : {307, 333}) expected_lines[y * 640 + x] = static_cast<Pixel>(y * 640 + 17);
    for (int x = 0; x < 12 && y >= 230 && y < 250; ++x)
      expected_bars[y * 640 + 302 + x % 6 + x / 6 * 31] = y * 640u + 125;
  }
  EXPECT_TRUE(same_picture("starwarp_seed_lines", expected_lines.pixels(), lines.pixels()));
  EXPECT_TRUE(same_picture("starwarp_seed_bars", expected_bars.pixels(), bars.pixels()));  // x 302..307, 333..338
}

TEST(StarwarpScene, StartsFromOneMoreLatticeFrameBlurredIntoTheFeedbackPicture) {
  SceneRig rig;
  play_starwarp(rig, 0.0, 0.0);
  EXPECT_GT(lit_pixels(rig.shared.work_b->pixels()), 1000) << "the lattice drawing in work_b";
  ScreenBuffer expected;
  blur8_buffer(rig.shared.work_b->pixels(), expected.pixels());
  EXPECT_TRUE(same_picture("starwarp_feedback", expected.pixels(), rig.shared.work_a->pixels()));
}

}  // namespace
