// The particles snapshot ring and strip: where a snapshot is taken from,
// which snapshots the strip shows in what order, and how it scrolls.
#include "scenes/particles_snapshots.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "shell/screen_buffer.h"

namespace {

// A picture whose pixels say where they are: x in the low 10 bits, y above.
Pixel position_pixel(int x, int y) { return static_cast<Pixel>(y << 10 | x); }

ScreenBuffer position_picture() {
  ScreenBuffer picture;
  for (int y = 0; y < screen_height; ++y) {
    for (int x = 0; x < screen_width; ++x) picture[y * screen_width + x] = position_pixel(x, y);
  }
  return picture;
}

TEST(ParticlesSnapshots, TheBlockIsCentredOnTheAnchorAndKeptInsideThePictureOnEverySide) {
  const ScreenBuffer picture = position_picture();
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  constexpr double huge = 1e300;
  struct Case {
    double x, y;  // the anchor
    int x0, y0;   // the block's top-left corner
  };
  const Case cases[] = {
      {320.0, 240.0, 256, 176},    // centred
      {64.9, 64.9, 0, 0},          // truncated to 64: just inside the top-left
      {-0.5, -30.0, 0, 0},         // beyond the left and top edges
      {-huge, -huge, 0, 0},        // far beyond: no int overflow
      {575.0, 415.0, 511, 351},    // one pixel short of the right and bottom edges
      {576.0, 416.0, 512, 352},    // touching them
      {639.9, 479.9, 512, 352},    // at the last pixel
      {5000.0, 20.0, 512, 0},      // beyond the right edge, near the top
      {30.0, huge, 0, 352},        // beyond the bottom edge
      {nan, nan, 0, 0},            // no position at all
      {nan, 300.0, 0, 236},
  };
  SnapshotRing ring;
  snapshot_ring_allocate(ring);
  for (const Case& c : cases) {
    const int slot = (ring.slot + 1) % snapshot_count;
    grab_snapshot(ring, c.x, c.y, picture.pixels());
    ASSERT_EQ(ring.slot, slot);
    const Pixel* block = snapshot_block(ring, slot);
    EXPECT_EQ(block[0], position_pixel(c.x0, c.y0)) << "anchor (" << c.x << ", " << c.y << "): top-left";
    EXPECT_EQ(block[snapshot_pixels - 1], position_pixel(c.x0 + 127, c.y0 + 127))
        << "anchor (" << c.x << ", " << c.y << "): bottom-right";
    EXPECT_EQ(block[5 * snapshot_size + 9], position_pixel(c.x0 + 9, c.y0 + 5))
        << "anchor (" << c.x << ", " << c.y << "): row 5, column 9";
  }
}

TEST(ParticlesSnapshots, EachGrabTakesTheNextSlotRoundTheRing) {
  const ScreenBuffer picture = position_picture();
  SnapshotRing ring;
  snapshot_ring_allocate(ring);
  for (int grab = 1; grab <= 2 * snapshot_count; ++grab) {
    grab_snapshot(ring, 64.0 + grab, 64.0, picture.pixels());
    EXPECT_EQ(ring.slot, grab % snapshot_count) << "grab " << grab;
    EXPECT_EQ(snapshot_block(ring, ring.slot)[0], position_pixel(grab, 0)) << "grab " << grab;
  }
}

// A ring whose snapshot k holds pixels 0x0F0000 + (k << 12) + (row << 7) + column.
SnapshotRing marked_ring(int slot) {
  SnapshotRing ring;
  snapshot_ring_allocate(ring);
  for (int k = 0; k < snapshot_count; ++k) {
    for (int i = 0; i < snapshot_pixels; ++i) ring.blocks[k * snapshot_pixels + i] = 0x0F0000u + (k << 14) + i;
  }
  ring.slot = slot;
  return ring;
}
constexpr Pixel untouched = 0x00ABCDEF;  // what the screen holds before the strip
int snapshot_of(Pixel p) { return static_cast<int>((p - 0x0F0000u) >> 14); }
int column_of(Pixel p) { return static_cast<int>((p - 0x0F0000u) & 127); }
int row_of(Pixel p) { return static_cast<int>(((p - 0x0F0000u) >> 7) & 127); }

std::vector<Pixel> strip_frame(SnapshotRing& ring) {
  std::vector<Pixel> screen(screen_pixels + screen_padding_pixels, untouched);
  draw_snapshot_strip(ring, screen.data());
  return screen;
}

TEST(ParticlesSnapshots, TheStripShowsEveryThirdSnapshotOldestFirstWithTwentyPixelGaps) {
  struct Case {
    int scroll;  // before the call, which scrolls one pixel more
    int first_column;
    std::vector<int> snapshots;  // left to right
    std::vector<int> gaps;       // widths, left to right, of the gaps before a snapshot
  };
  const Case cases[] = {
      {0, 1, {5, 8, 11, 14, 2}, {20, 20, 20, 20}},   // the oldest (5) scrolled one pixel out
      {126, 127, {5, 8, 11, 14, 2, 5}, {20, 20, 20, 20, 20}},  // one column of the oldest left; five snapshots later it comes round
      {129, 0, {8, 11, 14, 2, 5}, {18, 20, 20, 20, 20}},  // the oldest gone, its gap cut by the edge
      {147, 0, {5, 8, 11, 14, 2}, {20, 20, 20, 20}},  // the period wrapped: the oldest whole again
  };
  for (const Case& c : cases) {
    SnapshotRing ring = marked_ring(4);  // the oldest is 5
    ring.scroll = c.scroll;
    const std::vector<Pixel> screen = strip_frame(ring);
    for (int j : {0, 77, 127}) {
      const Pixel* row = screen.data() + (strip_top + j) * screen_width;
      std::vector<int> snapshots;
      std::vector<int> gaps;
      int gap = 0;
      for (int x = 0; x < screen_width; ++x) {
        if (row[x] == untouched) {
          ++gap;
          continue;
        }
        const int k = snapshot_of(row[x]);
        if (snapshots.empty() || snapshots.back() != k || gap > 0) {
          snapshots.push_back(k);
          EXPECT_EQ(column_of(row[x]), x == 0 ? c.first_column : 0)
              << "scroll " << c.scroll << ", row " << j << ": snapshot " << k << " starts at x " << x;
        } else {
          EXPECT_EQ(column_of(row[x]), column_of(row[x - 1]) + 1) << "scroll " << c.scroll << ", row " << j << ", x " << x;
        }
        if (gap > 0) gaps.push_back(gap);
        gap = 0;
        EXPECT_EQ(row_of(row[x]), j) << "scroll " << c.scroll << ", x " << x;
      }
      EXPECT_EQ(snapshots, c.snapshots) << "scroll " << c.scroll << ", row " << j;
      EXPECT_EQ(gaps, c.gaps) << "scroll " << c.scroll << ", row " << j;
    }
    for (int y : {0, strip_top - 1, strip_top + snapshot_size, screen_height - 1}) {
      for (int x = 0; x < screen_width; ++x) {
        ASSERT_EQ(screen[y * screen_width + x], untouched) << "outside the strip: (" << x << ", " << y << ")";
      }
    }
  }
}

// Where a strip pixel sits in the layout: the snapshot column it shows, or
// -1 in a gap. (Which snapshot a place shows is counted from the left edge:
// the oldest is always the first, so identities move on as the period wraps.)
int layout_of(Pixel p) { return p == untouched ? -1 : column_of(p); }

TEST(ParticlesSnapshots, TheStripScrollsOnePixelLeftPerFrameThroughAWholePeriod) {
  SnapshotRing ring = marked_ring(9);
  std::vector<Pixel> before = strip_frame(ring);
  for (int frame = 2; frame <= strip_period + 2; ++frame) {
    const std::vector<Pixel> after = strip_frame(ring);
    for (int j : {0, 127}) {
      const Pixel* now = after.data() + (strip_top + j) * screen_width;
      const Pixel* then = before.data() + (strip_top + j) * screen_width;
      for (int x = 0; x + 1 < screen_width; ++x) {
        ASSERT_EQ(layout_of(now[x]), layout_of(then[x + 1]))
            << "frame " << frame << ", row " << j << ": x " << x << " should show what x " << x + 1 << " showed";
      }
    }
    before = after;
  }
}

}  // namespace
