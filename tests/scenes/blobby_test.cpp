// The blobby scene on the headless console: the key rule, the parameter
// file's layout, and the moments of its word and flash pictures.
#include "scenes/blobby.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "data/config_reader.h"
#include "scene_rig.h"
#include "scenes/word_flash.h"
#include "support/scratch_directory.h"

namespace {

// Word pictures red (words_pictures[4]) and blue ([5]), flash pictures two
// flat colours; the scene run for `duration` scene-time units.
struct BlobbyRig : SceneRig {
  explicit BlobbyRig(FrameRate rate, std::vector<std::int64_t> key_frames = {})
      : SceneRig(rate, std::move(key_frames)) {
    fill(*shared.words_pictures[4], 0x00FF0000);
    fill(*shared.words_pictures[5], 0x000000FF);
    fill(*shared.sublim_pictures[4], 0x00123456);
    fill(*shared.sublim_pictures[5], 0x00654321);
    shared.word_flash_bias = 50;
  }
  void play(double duration) {
    blobby_init(shared);
    blobby_set_parameters(BlobbyParameters{duration, 7.0});
    blobby_run(context());
  }
  bool is_flash(std::size_t frame, int k) const {
    return std::equal(frames[frame].begin(), frames[frame].end(), shared.sublim_pictures[4 + k]->pixels());
  }
};

TEST(BlobbyKeys, NoLengthOrAWaitingKeyShowsNoFrameAndOneKeyIsConsumed) {
  struct Case {
    double duration;
    std::vector<std::int64_t> keys;  // backend frames
    std::int64_t frames;
  };
  const Case cases[] = {
      {0.0, {1}, 0}, {-5.0, {1}, 0}, {200.0, {1}, 0},
      {200.0, {3}, 2},     // a key arriving after the second frame ends the scene there
      {200.0, {3, 3}, 2},  // one key read, the other left waiting
  };
  for (const Case& c : cases) {
    BlobbyRig rig(fine_rate, c.keys);
    rig.play(c.duration);
    EXPECT_EQ(rig.frames_shown(), c.frames) << "duration " << c.duration << ", keys " << c.keys.size();
    EXPECT_EQ(rig.backend.key_reads(), 1) << "duration " << c.duration;
    EXPECT_EQ(rig.console.key(), c.keys.size() > 1) << "duration " << c.duration;
  }
}

TEST(BlobbyParameters, TheLengthComesFirstAndAMissingFileLeavesNoLength) {
  const ScratchDirectory scratch;
  const std::string text = "Scene length\n` 12.5\n\nSpare value\n` 7.0\n";
  ConfigReader reader;
  reader.stream.open(scratch.write("blobby.conf", {text.begin(), text.end()}));
  const BlobbyParameters read = blobby_read_parameters(reader);
  EXPECT_EQ(read.duration, 12.5);
  EXPECT_EQ(read.spare, 7.0);

  ConfigReader missing;
  missing.stream.open("no/such/blobby.conf");
  EXPECT_EQ(blobby_read_parameters(missing).duration, 0.0);
}

TEST(BlobbyFlashes, EachFlashPictureIsOneWholeFrameOnceItsMomentHasPassed) {
  // At 5/24 frames per second the frames are drawn at T = 0, 0, 30, 60, ...:
  // exactly 30 is not past the first moment.
  BlobbyRig rig({5, 24});
  rig.play(200.0);
  ASSERT_EQ(rig.frames_shown(), 8);
  for (std::size_t j = 0; j < rig.frames.size(); ++j) {
    EXPECT_EQ(rig.is_flash(j, 0), j == 3) << "frame " << j;
    EXPECT_EQ(rig.is_flash(j, 1), j == 5) << "frame " << j;
  }
}

TEST(BlobbyFlashes, EachWordFadesAroundItsOwnMoment) {
  // Row 3 is blackened by the tv filter: it holds only the words.
  BlobbyRig rig(coarse_rate);
  rig.shared.word_flash_times.blobby = {5, 21};
  rig.play(26.0);
  const std::vector<double> times = loop_frame_times(coarse_rate, 26.0);
  ASSERT_EQ(rig.frames_shown(), static_cast<std::int64_t>(times.size()));
  const auto faded = [](double t, int moment) {
    return static_cast<unsigned>(std::max(0, 255 - (256 - word_flash_level(t, moment, 50))));
  };
  int both = 0;
  for (std::size_t j = 0; j < times.size(); ++j) {
    const Pixel p = rig.frames[j][3 * screen_width + 100];
    EXPECT_EQ(pixel_text(p), pixel_text(pixel_rgb(faded(times[j], 5), 0, faded(times[j], 21)))) << "T = " << times[j];
    both += pixel_red(p) > 0 && pixel_blue(p) > 0;
  }
  EXPECT_GT(both, 0) << "the two fades should overlap";
}

}  // namespace
