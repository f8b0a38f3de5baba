// Where the picture goes in outputs of every shape.
#include "shell/platform/picture_fit.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

TEST(PictureFit, LargestCentred43AreaAndItsWholeMultiple) {
  struct Case {
    int output_width, output_height;
    PictureFit expected;
  };
  const Case cases[] = {
      {640, 480, {0, 0, 640, 480, 1, false}},
      {1280, 960, {0, 0, 1280, 960, 2, false}},
      {1920, 1080, {240, 0, 1440, 1080, 2, true}},   // bars left and right; 2x crisp, then 1.125 smooth
      {2560, 1440, {320, 0, 1920, 1440, 3, false}},  // exactly 3x
      {1024, 768, {0, 0, 1024, 768, 1, true}},
      {800, 900, {0, 150, 800, 600, 1, true}},       // bars above and below
      {641, 480, {0, 0, 640, 480, 1, false}},        // a one-pixel bar, split 0 / 1
      {400, 300, {0, 0, 400, 300, 0, true}},         // smaller: a smooth shrink only
      {1, 1, {0, 0, 1, 0, 0, true}},
      {0, 480, {0, 0, 0, 0, 0, false}},
      {-5, 100, {0, 0, 0, 0, 0, false}},
  };
  for (const Case& c : cases) {
    const PictureFit f = fit_picture(640, 480, c.output_width, c.output_height), e = c.expected;
    EXPECT_EQ(std::tie(f.x, f.y, f.width, f.height, f.whole_multiple, f.smooth_rest),
              std::tie(e.x, e.y, e.width, e.height, e.whole_multiple, e.smooth_rest))
        << "output " << c.output_width << " x " << c.output_height << ": x, y, width, height, multiple, smooth rest";
  }
}

}  // namespace
