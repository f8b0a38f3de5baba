// The starwarp scene's tables and helpers: the warp table's entries and the
// order of its rand() draws, the seed column's clamp, the seed lines and
// bars, and the corners of the spin square.
#include "scenes/starwarp_warp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "shell/pixels/screen_buffer.h"

namespace {

TEST(WarpTable, EntriesStepAnEighthTowardsTheCentreAndAtLeastOnePixel) {
  struct Case {
    int x, y, r1, r2;
    int to_x, to_y;
  };
  const Case cases[] = {
      {320, 240, 0, 0, 321, 241},  // offsets 0: one pixel right and down
      {322, 242, 0, 0, 321, 241},  // offsets -2: an eighth is 0, still one pixel back
      {322, 242, 2, 2, 323, 243},  // the jitter moves the centre: offsets 0 again
      {639, 479, 2, 2, 600, 450},  // offsets (-317, -237): -39.6 and -29.6 truncate to -39, -29
      {329, 240, 0, 0, 328, 241},  // -9 / 8 truncates to -1
      {303, 240, 0, 0, 305, 241},  // 17 / 8 truncates to 2
  };
  for (const Case& c : cases) {
    const std::int32_t expected = c.to_y * screen_width + c.to_x;
    const std::int32_t got = starwarp_warp_table_entry(c.x, c.y, c.r1, c.r2);
    EXPECT_EQ(got, expected) << "pixel (" << c.x << ", " << c.y << ") with draws " << c.r1 << ", " << c.r2
                             << ": expected (" << c.to_x << ", " << c.to_y << "), got (" << got % screen_width << ", "
                             << got / screen_width << ")";
  }
}

TEST(WarpTable, EveryPixelWithEveryDrawMovesTowardsTheCentreAndStaysInsideTheMiddle) {
  int failures = 0;
  for (int y = 0; y < screen_height; ++y) {
    for (int x = 0; x < screen_width; ++x) {
      for (int r = 0; r < 9; ++r) {
        const int r1 = r / 3, r2 = r % 3;
        const std::int32_t entry = starwarp_warp_table_entry(x, y, r1, r2);
        const int to_x = entry % screen_width, to_y = entry / screen_width;
        const int cx = 320 - x + r1, cy = 240 - y + r2;
        const int dx = to_x - x, dy = to_y - y;
        const bool inside = to_x >= 40 && to_x <= 600 && to_y >= 30 && to_y <= 450;
        const bool moved = dx != 0 && dy != 0;
        const bool towards = (dx > 0) == (cx >= 0) && (dy > 0) == (cy >= 0);
        if (!(inside && moved && towards) && failures++ < 5) {
          ADD_FAILURE() << "pixel (" << x << ", " << y << ") with draws " << r1 << ", " << r2 << " samples (" << to_x
                        << ", " << to_y << ")";
        }
      }
    }
  }
  EXPECT_EQ(failures, 0);
}

TEST(WarpTable, TakesTwoDrawsPerEntryRowsFirstAndTheFirstDrawForX) {
  constexpr unsigned seed = 4242;
  ScreenBuffer table;
  std::srand(seed);
  starwarp_build_warp_table(table.indices());
  const int next_draw = std::rand();

  std::srand(seed);
  int mismatches = 0;
  for (int y = 0; y < screen_height; ++y) {
    for (int x = 0; x < screen_width; ++x) {
      const int r1 = std::rand() % 3;
      const int r2 = std::rand() % 3;
      const std::int32_t expected = starwarp_warp_table_entry(x, y, r1, r2);
      const std::int32_t got = table.indices()[y * screen_width + x];
      if (got != expected && mismatches++ < 5) {
        ADD_FAILURE() << "entry (" << x << ", " << y << "): expected " << expected << ", got " << got;
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(next_draw, std::rand()) << "the table takes exactly 614,400 draws";
}

TEST(SeedColumn, IsTruncatedAndKeptInsideThePalette) {
  constexpr double infinity = std::numeric_limits<double>::infinity();
  const struct {
    double column;
    int expected;
  } cases[] = {{0.99, 0},    {638.999, 638}, {639.0, 639},    {640.0, 639},      {1e300, 639},
               {infinity, 639}, {-0.5, 0}, {-infinity, 0}, {std::nan(""), 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(starwarp_palette_column(c.column), c.expected) << "column " << c.column;
  }
}

// Paints with a palette whose every entry is its own index onto a filled
// picture; returns the pixels that differ from the fill.
std::vector<std::pair<int, Pixel>> painted(void (*paint)(double, const Pixel*, Pixel*), double column) {
  constexpr Pixel fill = 0xDEADBEEF;  // no palette index
  std::vector<Pixel> palette(screen_pixels);
  for (int i = 0; i < screen_pixels; ++i) palette[i] = static_cast<Pixel>(i);
  std::vector<Pixel> picture(screen_pixels, fill);
  paint(column, palette.data(), picture.data());
  std::vector<std::pair<int, Pixel>> changed;
  for (int i = 0; i < screen_pixels; ++i) {
    if (picture[i] != fill) changed.emplace_back(i, picture[i]);
  }
  return changed;
}

TEST(SeedPainting, LinesAndBarsTakeOnePaletteColumnRowByRow) {
  struct Case {
    const char* what;
    void (*paint)(double, const Pixel*, Pixel*);
    double column;
    int palette_x;
    bool bars;
  };
  const Case cases[] = {
      {"lines", starwarp_seed_lines, 0.0, 0, false},   {"lines", starwarp_seed_lines, 17.9, 17, false},
      {"lines", starwarp_seed_lines, 900.0, 639, false}, {"lines", starwarp_seed_lines, -3.0, 0, false},
      {"bars", starwarp_seed_bars, 125.2, 125, true},  {"bars", starwarp_seed_bars, 639.5, 639, true},
  };
  for (const Case& c : cases) {
    std::vector<std::pair<int, Pixel>> expected;
    for (int y = 0; y < screen_height; ++y) {
      for (int x = 0; x < screen_width; ++x) {
        const bool seeded = c.bars ? y >= 230 && y <= 249 && ((x >= 302 && x <= 307) || (x >= 333 && x <= 338))
                                   : x == 307 || x == 333;
        if (seeded) expected.emplace_back(y * screen_width + x, static_cast<Pixel>(y * screen_width + c.palette_x));
      }
    }
    EXPECT_EQ(painted(c.paint, c.column), expected) << c.what << " at column " << c.column;
  }
}

TEST(SpinSquare, CornersTurnAboutTheCentreInOrderAndTruncateTowardsZero) {
  struct Case {
    double rotation;
    std::array<QuadCorner, 4> corners;
  };
  const Case cases[] = {
      {0.0, {{{0, -80}, {640, -80}, {640, 560}, {0, 560}}}},
      {0.5, {{{193, -194}, {754, 113}, {447, 674}, {-114, 367}}}},
      // Nearly a half turn: 319.99915 truncates to 319, -0.00085 to 0.
      {3.14159, {{{640, 559}, {1, 560}, {0, -79}, {639, -80}}}},
      {-2.0, {{{163, 664}, {-104, 83}, {477, -184}, {744, 397}}}},
  };
  for (const Case& c : cases) {
    const std::array<QuadCorner, 4> got = starwarp_spin_square(c.rotation);
    for (int k = 0; k < 4; ++k) {
      EXPECT_TRUE(got[k].x == c.corners[k].x && got[k].y == c.corners[k].y)
          << "rotation " << c.rotation << ", corner " << k << ": expected (" << c.corners[k].x << ", "
          << c.corners[k].y << "), got (" << got[k].x << ", " << got[k].y << ")";
    }
  }
}

}  // namespace
