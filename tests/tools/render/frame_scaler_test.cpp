// Whole-number enlargement of frames, on a small picture.
#include "tools/render/frame_scaler.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/picture_check.h"

namespace {

TEST(FrameScaler, EveryPixelBecomesAFactorByFactorBlock) {
  const std::vector<Pixel> picture = {1, 2, 3,  //
                                      4, 5, 6};
  const std::vector<Pixel> twice = {1, 1, 2, 2, 3, 3,  //
                                    1, 1, 2, 2, 3, 3,  //
                                    4, 4, 5, 5, 6, 6,  //
                                    4, 4, 5, 5, 6, 6};
  EXPECT_TRUE(same_picture("frame_scaler_x2", twice.data(), FrameScaler(2, 3, 2).scale(picture.data()), 6, 4));
  std::vector<Pixel> thrice;  // pixel (x, y) of 9 x 6 is (x / 3, y / 3) of the picture
  for (int i = 0; i < 9 * 6; ++i) thrice.push_back(picture[i / 9 / 3 * 3 + i % 9 / 3]);
  EXPECT_TRUE(same_picture("frame_scaler_x3", thrice.data(), FrameScaler(3, 3, 2).scale(picture.data()), 9, 6));
  EXPECT_EQ(FrameScaler(1, 3, 2).scale(picture.data()), picture.data()) << "factor 1 copies nothing";
}

}  // namespace
