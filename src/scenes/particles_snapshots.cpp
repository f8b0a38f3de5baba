// The snapshot ring and the scrolling strip it is shown in.
#include "scenes/particles_snapshots.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "shell/pixels/screen_buffer.h"

namespace {

constexpr int half_snapshot = snapshot_size / 2;

// The block's first column or row for an anchor coordinate: the anchor
// truncated, less half a block, kept within 0 .. limit - 128 so that the
// block never reads outside the picture. Clamped as a double, before any
// conversion, so that no anchor can overflow an int.
int block_start(double anchor, int limit) {
  const double start = std::trunc(anchor) - half_snapshot;
  const double last = limit - snapshot_size;
  if (!(start > 0.0)) return 0;  // NaN too
  return static_cast<int>(std::min(start, last));
}

Pixel* block_of(SnapshotRing& ring, int k) { return ring.blocks.data() + k * snapshot_pixels; }

}  // namespace

void snapshot_ring_allocate(SnapshotRing& ring) {
  ring.blocks.assign(static_cast<std::size_t>(snapshot_count) * snapshot_pixels, 0u);
  ring.slot = 0;
  ring.scroll = 0;
}

const Pixel* snapshot_block(const SnapshotRing& ring, int k) { return ring.blocks.data() + k * snapshot_pixels; }

void snapshot_grab(SnapshotRing& ring, double x, double y, const Pixel* picture) {
  ring.slot = (ring.slot + 1) % snapshot_count;
  const int x0 = block_start(x, screen_width);
  const int y0 = block_start(y, screen_height);
  Pixel* block = block_of(ring, ring.slot);
  for (int r = 0; r < snapshot_size; ++r) {
    std::memcpy(block + r * snapshot_size, picture + (y0 + r) * screen_width + x0, snapshot_size * sizeof(Pixel));
  }
}

void snapshot_draw_strip(SnapshotRing& ring, Pixel* screen) {
  ring.scroll = (ring.scroll + 1) % snapshot_strip_period;
  for (int j = 0; j < snapshot_size; ++j) {
    Pixel* row = screen + (snapshot_strip_top + j) * screen_width;
    int k = (ring.slot + 1) % snapshot_count;  // the oldest
    int x = 0;
    int column = ring.scroll;  // of the snapshot (or gap, from 128) at x
    while (x < screen_width) {
      if (column < snapshot_size) {
        const int run = std::min(snapshot_size - column, screen_width - x);
        std::memcpy(row + x, snapshot_block(ring, k) + j * snapshot_size + column, run * sizeof(Pixel));
        x += run;
        column += run;
      } else {
        x += snapshot_strip_period - column;  // the gap keeps what the screen holds
        column = 0;
        k = (k + snapshot_skip) % snapshot_count;
      }
    }
  }
}
