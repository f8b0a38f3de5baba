// Whole-number enlargement of presented frames by pixel repetition: with
// factor N every pixel becomes an N x N block, so edges stay as sharp as the
// demo drew them.
#pragma once

#include <vector>

#include "shell/pixels/pixel.h"

class FrameScaler {
 public:
  // Precondition: factor >= 1.
  explicit FrameScaler(int factor);

  // The 640 x 480 frame `pixels` enlarged: 640N x 480N pixels, rows back to
  // back, valid until the next call. Factor 1 returns `pixels` itself.
  const Pixel* scale(const Pixel* pixels);

 private:
  int factor_;
  std::vector<Pixel> scaled_;
};
