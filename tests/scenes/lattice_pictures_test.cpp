// The lattice scene's cross-fade and portraits: grey levels, the fade of
// two pictures, which moments show a portrait with how many blur passes,
// the in-place blur against a plain reference, placement and clipping.
#include "scenes/lattice_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "scene_rig.h"
#include "shell/pixels/screen_buffer.h"

namespace {

Pixel pattern(int i, unsigned salt) { return static_cast<Pixel>((i + salt) * 2654435761u) & 0x00FFFFFFu; }

int channel_minus(Pixel p, int shift, int grey) { return std::max(0, static_cast<int>((p >> shift) & 0xFF) - grey); }

TEST(CrossFade, GreyLevelsFollowAQuarterTurnOf3Point14159) {
  const struct {
    int level;
    LatticeCrossFadeGreys expected;
  } cases[] = {
      {0, {0, 255}},      // 256 - 0 clamps to 255
      {64, {19, 158}},    // 256 - 236.51, 256 - 97.97
      {128, {74, 74}},    // 256 - 181.02 both
      {192, {158, 19}},
      {255, {254, 0}},    // 256 - 256 cos(1.5647) = 254.4
      {256, {255, 0}},    // 3.14159 / 2 falls just short of pi / 2: sin < 1, cos > 0
  };
  for (const auto& c : cases) {
    const LatticeCrossFadeGreys got = lattice_cross_fade_greys(c.level);
    EXPECT_TRUE(got.from == c.expected.from && got.to == c.expected.to)
        << "level " << c.level << ": expected from " << c.expected.from << ", to " << c.expected.to << "; got from "
        << got.from << ", to " << got.to;
  }
}

TEST(CrossFade, SubtractsEachGreyAndAddsThePicturesWithSaturation) {
  ScreenBuffer from, to, destination;
  for (int i = 0; i < screen_pixels; ++i) {
    from[i] = pattern(i, 1);
    to[i] = pattern(i, 7);
  }
  for (int level : {0, 128, 256}) {
    lattice_cross_fade(level, from.pixels(), to.pixels(), destination.pixels());
    const LatticeCrossFadeGreys greys = lattice_cross_fade_greys(level);
    int wrong = 0;
    for (int i = 0; i < screen_pixels; ++i) {
      Pixel expected = 0;
      for (int shift : {0, 8, 16}) {
        const int sum = channel_minus(from[i], shift, greys.from) + channel_minus(to[i], shift, greys.to);
        expected |= static_cast<Pixel>(std::min(255, sum)) << shift;
      }
      if (destination[i] != expected && ++wrong <= 3) {
        ADD_FAILURE() << "level " << level << ", pixel " << i << ": from " << pixel_text(from[i]) << ", to "
                      << pixel_text(to[i]) << ", expected " << pixel_text(expected) << ", got "
                      << pixel_text(destination[i]);
      }
    }
    if (level == 0) {
      EXPECT_TRUE(std::equal(from.pixels(), from.pixels() + screen_pixels, destination.pixels()))
          << "level 0 shows `from` unchanged";
    }
  }
}

TEST(Portraits, AreShownWithinWindowPlus10OfTheirMomentWithOnePassMoreForEachUnitBeyond10) {
  // Window 5, moment 100: shown for 86..114, one pass within 90..110.
  const struct {
    long long now;
    int passes;  // 0: not shown
  } cases[] = {{0, 0},    {85, 0},   {86, 5},  {87, 4},  {88, 3},  {89, 2},   {90, 1},  {100, 1},
               {110, 1},  {111, 2},  {112, 3}, {113, 4}, {114, 5}, {115, 0},  {1000, 0}};
  for (const auto& c : cases) {
    const std::optional<long long> extra = lattice_portrait_extra_passes(c.now, 100, 5);
    const int got = extra ? static_cast<int>(*extra) + 1 : 0;
    EXPECT_EQ(got, c.passes) << "E " << c.now << ": expected " << c.passes << " passes, got " << got;
  }
  EXPECT_EQ(lattice_portrait_extra_passes(121, 130, 0), std::optional<long long>(0)) << "window 0, 9 units away";
  EXPECT_EQ(lattice_portrait_extra_passes(120, 130, 0), std::nullopt) << "window 0, 10 units away";
  EXPECT_EQ(lattice_portrait_extra_passes(-2147483648LL, 2147483647LL, 16), std::nullopt) << "far ends of int";
}

// The blur written plainly: pixel by pixel, channel by channel, in place.
void reference_blur_pass(std::vector<Pixel>& picture) {
  for (int r = 0; r < lattice_portrait_height - 1; ++r) {
    Pixel* row = picture.data() + r * lattice_portrait_width;
    for (int x = 4; x <= 305; ++x) {
      Pixel blurred = 0;
      for (int shift : {0, 8, 16, 24}) {
        int sum = 0;
        for (int offset : {-4, -2, 2, 4}) sum += ((row[x + offset] >> shift) & 0xFF) >> 2;
        blurred |= static_cast<Pixel>(sum) << shift;
      }
      row[x] = blurred;
    }
  }
}

std::vector<Pixel> portrait_pattern() {
  std::vector<Pixel> picture(lattice_portrait_pixels);
  for (int i = 0; i < lattice_portrait_pixels; ++i) picture[i] = pattern(i, 3);
  return picture;
}

TEST(Portraits, TheInPlaceBlurMatchesAPlainReferenceForEachPassCount) {
  for (long long extra : {0, 1, 4, 15}) {
    std::vector<Pixel> picture = portrait_pattern();
    std::vector<Pixel> reference = picture;
    for (long long pass = 0; pass <= extra; ++pass) reference_blur_pass(reference);
    ScreenBuffer destination;
    lattice_portrait_blur_add(0, extra, picture.data(), destination.pixels());
    int wrong = 0;
    for (int i = 0; i < lattice_portrait_pixels; ++i) {
      if (picture[i] != reference[i] && ++wrong <= 3) {
        ADD_FAILURE() << extra + 1 << " passes, pixel (" << i % lattice_portrait_width << ", "
                      << i / lattice_portrait_width << "): expected " << pixel_text(reference[i]) << ", got "
                      << pixel_text(picture[i]);
      }
    }
  }
}

TEST(Portraits, LandAtTheirRowFromColumn0AddingWithSaturationAndRowsOffTheScreenAreClipped) {
  constexpr Pixel under = 0x00F00A00;
  const struct {
    int row;
    int first_screen_row, last_screen_row;  // of the rows drawn; first > last: none
  } cases[] = {{0, 0, 62},   {40, 40, 102}, {417, 417, 479},    {-10, 0, 52},        {430, 430, 479},
               {-63, 1, 0},  {480, 1, 0},   {2147483600, 1, 0}, {-2147483600, 1, 0}};
  for (const auto& c : cases) {
    std::vector<Pixel> picture = portrait_pattern();
    ScreenBuffer destination;
    fill(destination, under);
    lattice_portrait_blur_add(c.row, 0, picture.data(), destination.pixels());
    int wrong = 0;
    for (int y = 0; y < screen_height; ++y) {
      for (int x = 0; x < screen_width; ++x) {
        const bool drawn = y >= c.first_screen_row && y <= c.last_screen_row && x < lattice_portrait_shown_columns;
        Pixel expected = under;
        if (drawn) {
          const Pixel p = picture[(y - c.row) * lattice_portrait_width + x + lattice_portrait_first_column];
          expected =
              pixel_rgb(std::min(255u, pixel_red(p) + 0xF0), std::min(255u, pixel_green(p) + 0x0A), pixel_blue(p));
        }
        const Pixel got = destination[y * screen_width + x];
        if (got != expected && ++wrong <= 3) {
          ADD_FAILURE() << "row " << c.row << ", screen (" << x << ", " << y << "): expected " << pixel_text(expected)
                        << ", got " << pixel_text(got);
        }
      }
    }
  }
}

}  // namespace
