// Nearest-neighbour enlargement by a whole factor.
#include "frame_scaler.h"

#include <algorithm>
#include <cstddef>

#include "shell/pixels/screen_buffer.h"

FrameScaler::FrameScaler(int factor) : factor_(factor) {
  if (factor_ > 1) scaled_.resize(static_cast<std::size_t>(screen_pixels) * factor_ * factor_);
}

const Pixel* FrameScaler::scale(const Pixel* pixels) {
  if (factor_ == 1) return pixels;
  const std::size_t wide = static_cast<std::size_t>(screen_width) * factor_;
  Pixel* out = scaled_.data();
  for (int y = 0; y < screen_height; ++y) {
    // One source row widened, then repeated for the block's other rows.
    const Pixel* row = pixels + static_cast<std::size_t>(y) * screen_width;
    Pixel* first = out;
    for (int x = 0; x < screen_width; ++x) {
      out = std::fill_n(out, factor_, row[x]);
    }
    for (int copy = 1; copy < factor_; ++copy) out = std::copy_n(first, wide, out);
  }
  return scaled_.data();
}
