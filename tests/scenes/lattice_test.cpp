// The lattice scene: the cross-fade of its opening, when portraits show and
// how they are blurred and placed, and the frames it shows and leaves for
// the starwarp scene.
#include "scenes/lattice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "scene_rig.h"
#include "scenes/lattice_flight.h"
#include "scenes/lattice_pictures.h"
#include "shell/pixels/pixel_ops.h"
#include "support/picture_check.h"

namespace {

TEST(LatticePictures, TheCrossFadeTakesAQuarterTurnOf3Point14159OfGreyFromEachPictureAndAddsThem) {
  const std::array<int, 3> cases[] = {
      // level; grey taken from `from`, grey taken from `to`
      {0, 0, 255},   {64, 19, 158}, {128, 74, 74},  // 256 - 256 cos, clamped; 256 - 236.51, 256 - 97.97
      {255, 254, 0}, {256, 255, 0},                 // 3.14159 / 2 falls just short of pi / 2
  };
  for (const auto& [level, from, to] : cases) {
    const LatticeCrossFadeGreys greys = lattice_cross_fade_greys(level);
    EXPECT_TRUE(greys.from == from && greys.to == to) << level << ": got " << greys.from << ", " << greys.to;
  }
  ScreenBuffer from, to, got, expected;  // at level 64: (236, 109, 45) + (0, 0, 97)
  fill(from, 0x00FF8040);
  fill(to, 0x004080FF);
  fill(expected, 0x00EC6D8E);
  lattice_cross_fade(64, from.pixels(), to.pixels(), got.pixels());
  EXPECT_TRUE(same_picture("lattice_cross_fade", expected.pixels(), got.pixels()));
}

TEST(LatticePictures, APortraitShowsWithinWindowPlus10OfItsMomentWithOnePassMoreForEachUnitBeyond10) {
  // Window 5, moment 100: shown for 86..114, one pass within 90..110; 0: not shown.
  const std::pair<long long, int> cases[] = {{0, 0},   {85, 0},  {86, 5},  {88, 3},  {90, 1},  {100, 1},
                                             {110, 1}, {111, 2}, {114, 5}, {115, 0}, {1000, 0}};
  for (const auto& [now, passes] : cases) {
    const std::optional<long long> extra = lattice_portrait_extra_passes(now, 100, 5);
    EXPECT_EQ(extra ? static_cast<int>(*extra) + 1 : 0, passes) << "at " << now;
  }
  EXPECT_EQ(lattice_portrait_extra_passes(121, 130, 0), std::optional<long long>(0)) << "window 0, 9 units away";
  EXPECT_EQ(lattice_portrait_extra_passes(120, 130, 0), std::nullopt) << "window 0, 10 units away";
  EXPECT_EQ(lattice_portrait_extra_passes(-2147483648LL, 2147483647LL, 16), std::nullopt) << "far ends of int";
}

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
    EXPECT_TRUE(picture == reference) << "the portrait blurred in place, " << c.extra_passes + 1 << " passes";
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
  draw.clear();
  lattice_flight_continue(flight, draw.pixels());
  blur8_buffer(draw.pixels(), expected.pixels());
  lattice_render_frame(next.pixels());
  EXPECT_GT(lit_pixels(expected.pixels()), 10000);
  EXPECT_TRUE(same_picture("lattice_render_frame", expected.pixels(), next.pixels()));
  EXPECT_TRUE(same_picture("lattice_left_in_work_b", draw.pixels(), rig.shared.work_b->pixels()));
}

}  // namespace
