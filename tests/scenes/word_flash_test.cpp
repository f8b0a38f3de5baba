// Word pictures fading around their moment and single-frame flash pictures.
#include "scenes/word_flash.h"

#include <gtest/gtest.h>

#include <limits>

#include "shell/pixels/screen_buffer.h"

namespace {

constexpr int bias = 50;

TEST(WordFlashLevel, FullNearTheMomentThenFadingBySixteenPerUnit) {
  struct Case {
    double scene_time;
    int moment;
    int expected;
  };
  constexpr double infinity = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {50.0, 50, 256}, {53.0, 50, 256}, {47.0, 50, 256},  // distance 0 to 3: full
      {53.9, 50, 256},                                    // truncated to 53
      {54.0, 50, 242}, {46.5, 50, 242},                   // distance 4 (46.5 truncated to 46)
      {45.9, 50, 226},                                    // truncated to 45: distance 5
      {69.0, 50, 2},   {31.0, 50, 2},                     // distance 19
      {70.0, 50, 0},   {30.99, 50, 0},                    // distance 20: hidden
      {0.0, 105, 0},   {1e300, 50, 0},  {infinity, 50, 0}, {std::numeric_limits<double>::quiet_NaN(), 50, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(word_flash_level(c.scene_time, c.moment, bias), c.expected)
        << "scene time " << c.scene_time << ", moment " << c.moment;
  }
}

TEST(WordFlashAdd, AddsTheWordDarkenedBy256MinusTheLevel) {
  struct Case {
    int level;
    Pixel word;
    Pixel under;
    Pixel expected;
  };
  const Case cases[] = {
      {256, 0x00C08040, 0x00101010, 0x00D09050},  // unfaded
      {242, 0x00FF8008, 0x00000000, 0x00F17200},  // darkened by 14
      {2, 0x00FFFFFF, 0x00000000, 0x00010101},    // darkened by 254
      {200, 0x00FFFFFF, 0x00F0F0F0, 0x00FFFFFF},  // saturates
  };
  for (const Case& c : cases) {
    ScreenBuffer word, scratch, surface;
    for (int i = 0; i < screen_pixels; ++i) {
      word[i] = c.word;
      surface[i] = c.under;
    }
    word_flash_add(word.pixels(), c.level, scratch.pixels(), surface.pixels());
    EXPECT_EQ(surface[0], c.expected) << "level " << c.level << std::hex << ", word 0x" << c.word << " onto 0x"
                                      << c.under;
    EXPECT_EQ(surface[screen_pixels - 1], c.expected) << "level " << c.level << ", last pixel";
    EXPECT_EQ(word[0], c.word) << "the word picture itself is left alone";
  }
}

TEST(FrameFlash, ShowsOnceInTheFirstFramePastItsMoment) {
  ScreenBuffer picture, surface;
  for (int i = 0; i < screen_pixels; ++i) picture[i] = 0x00ABCDEF;
  bool pending = true;
  struct Step {
    double scene_time;
    bool shown;
  };
  const Step steps[] = {{29.9, false}, {30.0, false}, {30.01, true}, {45.0, false}};
  for (const Step& step : steps) {
    surface.clear();
    EXPECT_EQ(word_flash_frame_show(pending, step.scene_time, 30.0, picture.pixels(), surface.pixels()), step.shown)
        << "scene time " << step.scene_time;
    EXPECT_EQ(surface[12345], step.shown ? 0x00ABCDEFu : 0u) << "scene time " << step.scene_time;
  }
  EXPECT_FALSE(pending);
}

}  // namespace
