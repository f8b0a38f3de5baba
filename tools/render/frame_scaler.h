// Whole-number enlargement of presented frames by pixel repetition: with
// factor N every pixel becomes an N x N block, so edges stay as sharp as the
// demo drew them.
#pragma once

#include <vector>

#include "shell/pixels/pixel.h"
#include "shell/pixels/screen_buffer.h"

class FrameScaler {
 public:
  // Precondition: factor >= 1, and frames of width x height pixels.
  explicit FrameScaler(int factor, int width = screen_width, int height = screen_height);

  // The frame `pixels` enlarged: width N x height N pixels, rows back to
  // back, valid until the next call. Factor 1 returns `pixels` itself.
  const Pixel* scale(const Pixel* pixels);

 private:
  int factor_;
  int width_, height_;
  std::vector<Pixel> scaled_;
};
