// The blobby scene on the headless console: the key rule, the parameter
// file, and the moments of its word and flash pictures.
#include "scenes/blobby.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "../data/temp_text_file.h"
#include "shell/ptc.h"
#include "shell/ptc_headless.h"

namespace {

constexpr Pixel first_word_colour = 0x00FF0000;   // words_pictures[4]: red
constexpr Pixel second_word_colour = 0x000000FF;  // words_pictures[5]: blue

// What the tests keep of a presented frame: row 3, which the tv filter
// blackens, so it holds only what the word pictures add after it; and
// whether the frame is one of the flash pictures.
struct SeenFrame {
  std::int64_t number;
  Pixel row_3_pixel;
  bool first_flash;
  bool second_flash;
};

// The scene's buffers, a console and a surface on the headless backend;
// frame 0 is shown first, as the entry sequence shows the transition picture.
struct BlobbyRig {
  ScreenBuffer work_a, work_c, work_d, tv_mask, first_word, second_word, first_flash, second_flash;
  SharedPictures shared;
  std::vector<SeenFrame> frames;
  ptc::HeadlessBackend backend;
  ptc::Console console;
  ptc::Surface surface;

  explicit BlobbyRig(ptc::HeadlessScript script = {})
      : backend(std::move(script), [this](const ptc::HeadlessFrame& frame) { see(frame); }),
        console(backend),
        surface(640, 480, ptc::program_format()) {
    fill(first_word, first_word_colour);
    fill(second_word, second_word_colour);
    fill(first_flash, 0x00123456);
    fill(second_flash, 0x00654321);
    shared.work_a = &work_a;
    shared.work_c = &work_c;
    shared.work_d = &work_d;
    shared.tv_mask_picture = &tv_mask;
    shared.words_pictures[4] = &first_word;
    shared.words_pictures[5] = &second_word;
    shared.sublim_pictures[4] = &first_flash;
    shared.sublim_pictures[5] = &second_flash;
    shared.word_flash_times.blobby = {50, 105};
    shared.word_flash_bias = 50;
    console.open("test", 640, 480, ptc::program_format(), 0);
    console.update();
  }

  static void fill(ScreenBuffer& buffer, Pixel colour) {
    for (int i = 0; i < screen_pixels; ++i) buffer[i] = colour;
  }

  void see(const ptc::HeadlessFrame& frame) {
    frames.push_back({frame.number, frame.pixels[3 * screen_width + 100],
                      std::memcmp(frame.pixels, first_flash.pixels(), screen_bytes) == 0,
                      std::memcmp(frame.pixels, second_flash.pixels(), screen_bytes) == 0});
  }

  // Runs the scene with `duration` in its parameter file; returns the frames it showed.
  std::vector<SeenFrame> play(const std::string& duration) {
    const std::string path = write_temp_text_file("Scene length\n` " + duration + "\n\nSpare value\n` 7.0\n");
    blobby_init(shared, path.c_str());
    frames.clear();
    blobby_run(SceneContext{console, surface});
    return frames;
  }
};

ptc::HeadlessScript script(FrameRate rate, std::vector<std::int64_t> keys = {}) {
  ptc::HeadlessScript s;
  s.rate = rate;
  s.key_frames = std::move(keys);
  return s;
}

TEST(BlobbyKeys, NothingIsDrawnWhenTheSceneHasNoLengthOrAKeyWaitsAndTheKeyIsConsumed) {
  struct Case {
    const char* duration;
    std::vector<std::int64_t> keys;
    std::size_t frames;
  };
  const Case cases[] = {
      {"0.0", {1}, 0},                          // no length: no frame, the waiting key still read
      {"-5.0", {1}, 0},     {"200.0", {1}, 0},  // a key waiting before the first frame
      {"200.0", {3}, 2},                        // a key arriving after the second frame ends the scene there
      {"200.0", {3, 3}, 2},                     // one key read, the other left waiting
  };
  for (const Case& c : cases) {
    BlobbyRig rig(script({60, 1}, c.keys));
    EXPECT_EQ(rig.play(c.duration).size(), c.frames) << "duration " << c.duration << ", keys " << c.keys.size();
    EXPECT_EQ(rig.backend.key_reads(), 1) << "duration " << c.duration;
    EXPECT_EQ(rig.console.key(), c.keys.size() > 1) << "duration " << c.duration;
  }
}

TEST(BlobbyKeys, AMissingParameterFileIsReportedAndShowsNoFrame) {
  BlobbyRig rig(script({60, 1}));
  testing::internal::CaptureStdout();
  blobby_init(rig.shared, "no/such/blobby.conf");
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(printed, "Cannot find no/such/blobby.conf\n");
  rig.frames.clear();
  blobby_run(SceneContext{rig.console, rig.surface});
  EXPECT_TRUE(rig.frames.empty());
}

TEST(BlobbyFlashes, EachFlashPictureIsOneWholeFrameOnceItsMomentHasPassed) {
  // At 5/24 frames per second a frame lasts 4.8 s, 30 scene-time units: the
  // frames are drawn at T = 0, 0, 30, 60, 90, 120, 150, 180.
  const FrameRate rate{5, 24};
  ASSERT_EQ(6.25 * (rate.seconds_at(1) - rate.seconds_at(0)), 30.0);
  BlobbyRig rig(script(rate));
  const std::vector<SeenFrame> frames = rig.play("200.0");
  ASSERT_EQ(frames.size(), 8u);
  for (std::size_t j = 0; j < frames.size(); ++j) {
    EXPECT_EQ(frames[j].first_flash, j == 3) << "frame " << j << " (T = 30 is frame 2)";
    EXPECT_EQ(frames[j].second_flash, j == 5) << "frame " << j;
  }
}

TEST(BlobbyFlashes, WordPicturesFadeAroundTheirMoments) {
  // At 8 frames per second the step is 0.78125 units, exact: frame j >= 1 is
  // drawn at T = (j - 1) x 0.78125. Row 3 holds only the word pictures.
  BlobbyRig rig(script({8, 1}));
  const std::vector<SeenFrame> frames = rig.play("106.0");
  ASSERT_EQ(frames.size(), 137u);
  EXPECT_TRUE(frames[40].first_flash) << "T = 30.47, the first frame past 30: the first word at distance 20 is hidden";
  struct Case {
    int frame;
    double scene_time;
    unsigned red;   // first word, moment 50
    unsigned blue;  // second word, moment 105
  };
  const Case cases[] = {
      {65, 50.0, 255, 0},        // distance 0: full
      {71, 54.6875, 241, 0},     // distance 4: level 242
      {41, 31.25, 1, 0},         // distance 19: level 2
      {110, 85.15625, 0, 0},     // distance 20 from 105
      {112, 86.71875, 0, 1},     // distance 19
      {131, 101.5625, 0, 241},   // distance 4 (101 truncated)
      {136, 105.46875, 0, 255},  // distance 0
  };
  for (const Case& c : cases) {
    const SeenFrame& frame = frames[c.frame];
    ASSERT_FALSE(frame.first_flash || frame.second_flash) << "frame " << c.frame;
    EXPECT_EQ(pixel_red(frame.row_3_pixel), c.red) << "frame " << c.frame << ", T = " << c.scene_time;
    EXPECT_EQ(pixel_blue(frame.row_3_pixel), c.blue) << "frame " << c.frame << ", T = " << c.scene_time;
    EXPECT_EQ(pixel_green(frame.row_3_pixel), 0u) << "frame " << c.frame;
  }
}

}  // namespace
