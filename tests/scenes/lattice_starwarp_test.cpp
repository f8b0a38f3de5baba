// The lattice scene: how portraits are blurred and placed, and the frames it
// shows and leaves for the starwarp scene. The starwarp scene: its warp
// table, its seeds, the lattice frame it starts from and the spin after a
// warp of negative length.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "scene_rig.h"
#include "scenes/lattice.h"
#include "scenes/lattice_flight.h"
#include "scenes/lattice_pictures.h"
#include "scenes/starwarp_warp.h"
#include "shell/pixels/pixel_ops.h"
#include "support/picture_check.h"

namespace {

TEST(LatticePictures, APortraitIsBlurredInPlaceAsAPlainReferenceDoesAndAddedAtItsRowClipped) {
  // Each pass: every pixel of rows 0..62, columns 4..305 becomes the sum of
  // a quarter of each channel two and four to its left (already blurred)
  // and right. Rows 0..62, columns 4..305 then land on screen columns 0..301.
  const auto blur_pass = [](std::vector<Pixel>& picture) {
    for (int i = 0; i < 63 * lattice_portrait_width; ++i) {
      Pixel* p = &picture[i];
      if (i % lattice_portrait_width < 4 || i % lattice_portrait_width > 305) continue;
      Pixel blurred = 0;
      for (int shift : {0, 8, 16, 24}) {
        int sum = 0;
        for (int offset : {-4, -2, 2, 4}) sum += ((p[offset] >> shift) & 0xFF) >> 2;
        blurred |= static_cast<Pixel>(sum) << shift;
      }
      *p = blurred;
    }
  };
  const struct {
    int row;
    long long extra_passes;
    int first, last;  // screen rows drawn
  } cases[] = {{0, 0, 0, 62},  {40, 1, 40, 102}, {417, 4, 417, 479},    {-10, 0, 0, 52},
               {480, 0, 1, 0}, {-63, 0, 1, 0},   {2147483600, 15, 1, 0}};
  for (const auto& c : cases) {
    std::vector<Pixel> picture(lattice_portrait_pixels), reference;
    for (int i = 0; i < lattice_portrait_pixels; ++i) picture[i] = static_cast<Pixel>(i * 2654435761u) & 0xFFFFFFu;
    reference = picture;
    for (long long pass = 0; pass <= c.extra_passes; ++pass) blur_pass(reference);
    ScreenBuffer got, expected;
    fill(got, 0x00F00A00);
    fill(expected, 0x00F00A00);
    for (int i = c.first * screen_width; i < (c.last + 1) * screen_width; ++i) {
      if (i % screen_width >= 302) continue;
      const Pixel p = reference[(i / screen_width - c.row) * lattice_portrait_width + i % screen_width + 4];
      expected[i] =
          pixel_rgb(std::min(255u, pixel_red(p) + 0xF0), std::min(255u, pixel_green(p) + 0x0A), pixel_blue(p));
    }
    lattice_portrait_blur_add(c.row, c.extra_passes, picture.data(), got.pixels());
    EXPECT_TRUE(same_picture("lattice_portrait_blurred", reference.data(), picture.data(), 310, 64)) << c.extra_passes;
    EXPECT_TRUE(same_picture("lattice_portrait", expected.pixels(), got.pixels())) << "row " << c.row;
  }
}

TEST(LatticeScene, FlightFramesAreDarkenedAndBlurredAndTheStarwarpFrameContinuesTheFlight) {
  SceneRig rig;
  play_lattice(rig, 0.0, 3.0);  // no opening: the main part from the flight's start
  // The same flight replayed: the first frame's step 0, 0.9765625 for the
  // four after, then one more frame with the steps the paths have.
  LatticeFlight flight;
  lattice_flight_load(flight);
  ScreenBuffer draw, expected, next;
  lattice_flight_step(flight, 0.0, draw.pixels());
  fade_buffer(pixel_grey(0x40), draw.pixels());
  blur8_buffer(draw.pixels(), expected.pixels());
  ASSERT_EQ(rig.frames.size(), 5u);
  EXPECT_TRUE(same_picture("lattice_first_frame", expected.pixels(), rig.frames[0].data()));
  for (int n = 1; n < 5; ++n) lattice_flight_step(flight, 0.9765625, draw.pixels());
  const double steps[] = {flight.camera_path.step, flight.axis_path.step, flight.angle_path.step};
  EXPECT_TRUE(steps[0] == 0.9765625 && steps[1] == 0.9765625 && steps[2] == 0.9765625) << "each path steps as told";
  draw.clear();
  lattice_flight_continue(flight, draw.pixels());
  blur8_buffer(draw.pixels(), expected.pixels());
  lattice_render_frame(next.pixels());
  EXPECT_GT(lit_pixels(expected.pixels()), 10000);
  EXPECT_TRUE(same_picture("lattice_render_frame", expected.pixels(), next.pixels()));
  EXPECT_TRUE(same_picture("lattice_left_in_work_b", draw.pixels(), rig.shared.work_b->pixels()));
}

TEST(StarwarpWarpTable, EntriesStepAnEighthTowardsTheCentreAtLeastOnePixelAndStayInsideTheMiddle) {
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
  const std::pair<double, int> columns[] = {{0.99, 0},       {638.999, 638}, {639.0, 639},   {640.0, 639}, {1e300, 639},
                                            {INFINITY, 639}, {-0.5, 0},      {-INFINITY, 0}, {NAN, 0}};
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

TEST(StarwarpScene, StartsFromOneMoreLatticeFrameBlurredIntoTheFeedbackPictureAndANegativeWarpAtTheSpin) {
  SceneRig rig;
  play_starwarp(rig, 0.0, 0.0);
  EXPECT_GT(lit_pixels(rig.shared.work_b->pixels()), 1000) << "the lattice drawing in work_b";
  ScreenBuffer expected;
  blur8_buffer(rig.shared.work_b->pixels(), expected.pixels());
  EXPECT_TRUE(same_picture("starwarp_feedback", expected.pixels(), rig.shared.work_a->pixels()));
  SceneRig negative;  // a warp of negative length plays no frame, and the spin starts at time 0
  play_starwarp(negative, -3.0, 3.0);
  EXPECT_EQ(negative.frames.size(), 5u) << "spin frames at scene time 0, 0, 0.98, 1.95 and 2.93";
}

}  // namespace
