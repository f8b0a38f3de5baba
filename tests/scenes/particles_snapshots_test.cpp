// The particles snapshot ring and strip: where a snapshot is taken from,
// which snapshots the strip shows in what order, and how it scrolls.
#include "scenes/particles_snapshots.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "shell/pixels/screen_buffer.h"

namespace {

// A picture whose pixels say where they are: x in the low 10 bits, y above.
Pixel position_pixel(int x, int y) { return static_cast<Pixel>(y << 10 | x); }

TEST(ParticlesSnapshots, TheBlockIsCentredOnTheAnchorAndKeptInsideThePictureOnEverySide) {
  ScreenBuffer picture;
  for (int i = 0; i < screen_pixels; ++i) picture[i] = position_pixel(i % screen_width, i / screen_width);
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    double x, y;  // the anchor
    int x0, y0;   // the block's top-left corner
  };
  const Case cases[] = {
      {320.0, 240.0, 256, 176}, {64.9, 64.9, 0, 0},  // truncated to 64: just inside the top-left
      {-0.5, -30.0, 0, 0},      {-1e300, -1e300, 0, 0},  // beyond any int
      {575.0, 415.0, 511, 351},  // one pixel short of the right and bottom edges
      {639.9, 479.9, 512, 352}, {5000.0, 20.0, 512, 0}, {30.0, 1e300, 0, 352}, {nan, 300.0, 0, 236},
  };
  SnapshotRing ring;
  snapshot_ring_allocate(ring);
  for (const Case& c : cases) {
    const int slot = (ring.slot + 1) % snapshot_count;
    snapshot_grab(ring, c.x, c.y, picture.pixels());
    ASSERT_EQ(ring.slot, slot);
    const Pixel* block = snapshot_block(ring, slot);
    EXPECT_EQ(block[0], position_pixel(c.x0, c.y0)) << "anchor (" << c.x << ", " << c.y << "): top-left";
    EXPECT_EQ(block[snapshot_pixels - 1], position_pixel(c.x0 + 127, c.y0 + 127))
        << "anchor (" << c.x << ", " << c.y << "): bottom-right";
  }
}

// Snapshot k holds 0x0F0000 + k * 16384 + its own pixel index (row * 128 + column).
constexpr Pixel untouched = 0x00ABCDEF;  // what the screen holds before the strip
int snapshot_of(Pixel p) { return static_cast<int>((p - 0x0F0000u) / snapshot_pixels); }
int column_of(Pixel p) { return static_cast<int>((p - 0x0F0000u) % snapshot_size); }
int row_of(Pixel p) { return static_cast<int>((p - 0x0F0000u) % snapshot_pixels / snapshot_size); }

std::vector<Pixel> strip_frame(SnapshotRing& ring) {
  std::vector<Pixel> screen(screen_pixels, untouched);
  snapshot_draw_strip(ring, screen.data());
  return screen;
}

SnapshotRing marked_ring(int slot, int scroll) {
  SnapshotRing ring;
  snapshot_ring_allocate(ring);
  for (int i = 0; i < snapshot_count * snapshot_pixels; ++i) ring.blocks[i] = 0x0F0000u + i;
  ring.slot = slot;
  ring.scroll = scroll;
  return ring;
}

TEST(ParticlesSnapshots, TheStripShowsEveryThirdSnapshotOldestFirstWithTwentyPixelGaps) {
  struct Case {
    int scroll;  // before the call, which scrolls one pixel more
    int first_column;
    std::vector<int> snapshots;  // left to right
    std::vector<int> gaps;       // widths of the gaps before each snapshot but the first
  };
  const Case cases[] = {
      {0, 1, {5, 8, 11, 14, 2}, {20, 20, 20, 20}},  // the oldest (5) scrolled one pixel out
      {126, 127, {5, 8, 11, 14, 2, 5}, {20, 20, 20, 20, 20}},
      {129, 0, {8, 11, 14, 2, 5}, {18, 20, 20, 20, 20}},  // the oldest gone, its gap cut by the edge
      {147, 0, {5, 8, 11, 14, 2}, {20, 20, 20, 20}},      // the period wrapped: the oldest whole again
  };
  for (const Case& c : cases) {
    SnapshotRing ring = marked_ring(4, c.scroll);  // the oldest is 5
    const std::vector<Pixel> screen = strip_frame(ring);
    for (int j : {0, 77, 127}) {
      const Pixel* row = screen.data() + (snapshot_strip_top + j) * screen_width;
      std::vector<int> snapshots, gaps;
      int gap = 0;
      for (int x = 0; x < screen_width; ++x) {
        if (row[x] == untouched) {
          ++gap;
          continue;
        }
        const bool starts = x == 0 || gap > 0;
        if (starts) snapshots.push_back(snapshot_of(row[x]));
        EXPECT_EQ(column_of(row[x]), starts ? (x == 0 ? c.first_column : 0) : column_of(row[x - 1]) + 1)
            << "scroll " << c.scroll << ", row " << j << ", x " << x;
        EXPECT_EQ(row_of(row[x]), j) << "scroll " << c.scroll << ", x " << x;
        if (gap > 0) gaps.push_back(gap);
        gap = 0;
      }
      EXPECT_EQ(snapshots, c.snapshots) << "scroll " << c.scroll << ", row " << j;
      EXPECT_EQ(gaps, c.gaps) << "scroll " << c.scroll << ", row " << j;
    }
    for (int y : {snapshot_strip_top - 1, snapshot_strip_top + snapshot_size}) {
      for (int x = 0; x < screen_width; ++x) ASSERT_EQ(screen[y * screen_width + x], untouched) << "row " << y;
    }
  }
}

TEST(ParticlesSnapshots, TheStripScrollsOnePixelLeftPerFrameThroughAWholePeriod) {
  // Which snapshot a place shows is counted from the left edge, so only the
  // layout moves with the scroll: the column shown, or -1 in a gap.
  const auto layout = [](Pixel p) { return p == untouched ? -1 : column_of(p); };
  SnapshotRing ring = marked_ring(9, 0);
  std::vector<Pixel> before = strip_frame(ring);
  for (int frame = 2; frame <= snapshot_strip_period + 2; ++frame) {
    const std::vector<Pixel> after = strip_frame(ring);
    const Pixel* now = after.data() + snapshot_strip_top * screen_width;
    const Pixel* then = before.data() + snapshot_strip_top * screen_width;
    for (int x = 0; x + 1 < screen_width; ++x) {
      ASSERT_EQ(layout(now[x]), layout(then[x + 1])) << "frame " << frame << ": x " << x << " shows what x + 1 showed";
    }
    before = after;
  }
}

}  // namespace
