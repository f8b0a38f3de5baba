// The particles scene's snapshot strip: a ring of 15 small pictures taken
// around one point of the figure, one per simulated frame, and the strip
// across the middle of the screen that shows every third of them, oldest
// first, scrolling left by one pixel per frame.
#pragma once

#include <cstdint>
#include <vector>

#include "shell/pixels/pixel.h"

constexpr int snapshot_size = 128;  // pixels across and down
constexpr int snapshot_pixels = snapshot_size * snapshot_size;
constexpr int snapshot_count = 15;
constexpr int snapshot_skip = 3;  // the strip shows every third snapshot
constexpr int snapshot_strip_gap = 20;  // pixels between two snapshots in the strip
constexpr int snapshot_strip_period = snapshot_size + snapshot_strip_gap;
constexpr int snapshot_strip_top = 176 + snapshot_strip_gap;  // first screen row of the strip (196)

struct SnapshotRing {
  std::vector<Pixel> blocks;  // snapshot k is blocks[k * 16384 ...], rows of 128
  int slot = 0;               // the newest snapshot
  int scroll = 0;             // strip scroll in pixels, kept below snapshot_strip_period
};

// The 15 blocks, black; slot and scroll back to 0. Start-up only: allocates.
void snapshot_ring_allocate(SnapshotRing& ring);

const Pixel* snapshot_block(const SnapshotRing& ring, int k);

// Takes the next slot and copies into it the 128 x 128 block of `picture`
// centred on (x, y) (pixels, truncated towards zero), moved as little as
// needed to lie wholly inside the 640 x 480 picture. Any x and y, even
// non-finite ones (taken as 0), give a block inside the picture.
void snapshot_grab(SnapshotRing& ring, double x, double y, const Pixel* picture);

// Scrolls one pixel further, then draws the strip into screen rows
// 196..323: from the left, snapshots slot + 1 (the oldest), slot + 4, ...
// (mod 15), 128 pixels each, with 20 pixels between them that keep what the
// screen holds. A gap cut by the left edge still moves on to the next
// snapshot.
void snapshot_draw_strip(SnapshotRing& ring, Pixel* screen);
