// Nearest-neighbour enlargement by a whole factor.
#include "frame_scaler.h"

#include <algorithm>
#include <cstddef>

FrameScaler::FrameScaler(int factor, int width, int height) : factor_(factor), width_(width), height_(height) {
  if (factor_ > 1) scaled_.resize(static_cast<std::size_t>(width_) * height_ * factor_ * factor_);
}

const Pixel* FrameScaler::scale(const Pixel* pixels) {
  if (factor_ == 1) return pixels;
  const std::size_t wide = static_cast<std::size_t>(width_) * factor_;
  Pixel* out = scaled_.data();
  for (int y = 0; y < height_; ++y) {
    // One source row widened, then repeated for the block's other rows.
    const Pixel* row = pixels + static_cast<std::size_t>(y) * width_;
    Pixel* first = out;
    for (int x = 0; x < width_; ++x) {
      out = std::fill_n(out, factor_, row[x]);
    }
    for (int copy = 1; copy < factor_; ++copy) out = std::copy_n(first, wide, out);
  }
  return scaled_.data();
}
