// Whole-number enlargement of frames, on a small picture.
#include "tools/render/frame_scaler.h"

#include <gtest/gtest.h>

#include <string>
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
  FrameScaler by_two(2, 3, 2);
  EXPECT_TRUE(same_picture("frame_scaler_x2", twice.data(), by_two.scale(picture.data()), 6, 4));

  FrameScaler by_three(3, 3, 2);
  std::vector<Pixel> thrice;
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 9; ++x) thrice.push_back(picture[(y / 3) * 3 + x / 3]);
  }
  EXPECT_TRUE(same_picture("frame_scaler_x3", thrice.data(), by_three.scale(picture.data()), 9, 6));

  FrameScaler by_one(1, 3, 2);
  EXPECT_EQ(by_one.scale(picture.data()), picture.data()) << "factor 1 copies nothing";
}

}  // namespace
