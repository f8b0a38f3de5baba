// The particles scene played on the headless console: the live and frozen
// views and their toggles, the time carried into the second phase, the key
// rule, the word and flash pictures, and the parameter file's layout.
#include "scenes/particles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "data/config_reader.h"
#include "scene_rig.h"
#include "scenes/word_flash.h"
#include "shell/pixels/screen_buffer.h"
#include "support/scratch_directory.h"

namespace {

// 6.4 frames per second: a step of exactly 0.9765625 scene-time units.
constexpr FrameRate test_rate = coarse_rate;
constexpr double step = 0.9765625;

// The feedback picture starts as one grey that the channel blur keeps
// (2 x ((64 >> 1) & 63) = 64 per channel): away from the figure a frame
// shows it in full colour, or black in every fourth row under scan lines.
constexpr Pixel feedback_grey = 0x00404040;
constexpr Pixel flash_picture = 0x00000011;  // sublim_pictures[2]
constexpr int probe = 7 * 640 + 5;           // (5, 7): on a black scan line

// How a frame looks: 'L' live under scan lines, 'F' full colour, 'P' the flash picture.
char look_of(const std::vector<Pixel>& frame) {
  if (std::all_of(frame.begin() + 7 * 640, frame.begin() + 8 * 640, [](Pixel p) { return p == 0; })) return 'L';
  if (frame[probe] == feedback_grey) return 'F';
  return frame[probe] == flash_picture ? 'P' : '?';
}

struct Timing {
  double phase1, phase2;
  std::vector<double> freeze_times;  // five
};
const std::vector<double> never = {1000, 1000, 1000, 1000, 1000};

// The scene started up with the committed paths and given the test's own
// timing. Keys are given in scene frames: a key at n waits before the
// scene's frame n.
struct ParticlesRig : SceneRig {
  explicit ParticlesRig(std::vector<std::int64_t> key_frames = {}) : SceneRig(test_rate, scene_key_frames(key_frames)) {
    fill(*shared.sublim_pictures[2], flash_picture);
  }

  std::string run(const Timing& timing) {
    ParticlesParameters parameters{timing.phase1, timing.phase2, 9.0, {}};
    std::copy(timing.freeze_times.begin(), timing.freeze_times.end(), parameters.freeze_times.begin());
    particles_init(shared);
    particles_set_parameters(parameters);
    particles_prepare();
    fill(*shared.work_b, feedback_grey);
    particles_run(context());
    std::string looks;
    for (const std::vector<Pixel>& frame : frames) looks += look_of(frame);
    return looks;
  }
};

std::string repeated(char look, std::size_t count) { return std::string(count, look); }

TEST(ParticlesScene, FreezeMomentsToggleOneAFrameAndTheIndexOnlyMovesForward) {
  // First-phase frames start at 0, 0, 0.98, 1.95, 2.93, 3.91, 4.88, 5.86,
  // 6.84, 7.81, 8.79, 9.77, 10.74, 11.72.
  struct Case {
    const char* what;
    std::vector<double> freeze_times;
    const char* looks;
  };
  const Case cases[] = {
      {"moments passed two at a time", {3, 3, 6, 6, 9}, "LLLLLFLLFLLFFF"},
      {"moments out of order", {5, 2, 7, 1, 100}, "LLLLLLLFLFLLLL"},
  };
  for (const Case& c : cases) {
    ParticlesRig rig;
    EXPECT_EQ(rig.run({12.0, 0.0, c.freeze_times}), c.looks) << c.what;
    if (&c == cases) {
      // After the fifth toggle the simulation stops: the still holds.
      EXPECT_TRUE(rig.frames[12] == rig.frames[11] && rig.frames[13] == rig.frames[11]);
      EXPECT_FALSE(rig.frames[8] == rig.frames[11]) << "the stills of the third and fifth toggles should differ";
    }
  }
}

TEST(ParticlesScene, TimePastTheFirstPhaseCarriesIntoTheSecond) {
  // The first phase's frames end at 4.88 + 0.98 = 5.86: the second starts 0.86 in.
  const std::vector<double> first = loop_frame_times(test_rate, 5.0);
  const std::size_t second = loop_frame_times(test_rate, 3.5, first.back() + step - 5.0, false).size();
  ASSERT_NE(second, loop_frame_times(test_rate, 3.5, 0.0, false).size()) << "the case cannot tell";
  ParticlesRig rig;
  EXPECT_EQ(rig.run({5.0, 3.5, never}), repeated('L', first.size()) + repeated('F', second));

  // The figure and its trails are there: pixels brighter than the grey.
  const std::vector<Pixel>& last = rig.frames.back();
  EXPECT_GT(std::count_if(last.begin(), last.end(), [](Pixel p) { return pixel_red(p) > 0x50 || pixel_blue(p) > 0x50; }),
            500)
      << "no figure drawn in the last frame";
}

TEST(ParticlesScene, AKeyEndsOnlyThePhaseItFallsInAndAFirstPhaseWithoutLengthShowsNothing) {
  const std::size_t whole_second = loop_frame_times(test_rate, 3.5, 0.0, false).size();
  // With no frame shown before it, the second phase reads the timer's first delta, 0.
  const std::size_t whole_second_first = loop_frame_times(test_rate, 3.5, 0.0, true).size();
  struct Case {
    const char* what;
    double phase1;
    std::vector<std::int64_t> keys;  // scene frames
    std::size_t first_frames, second_frames;
    long key_reads;
  };
  const Case cases[] = {
      {"a key in the first phase: the second from time 0", 50, {3}, 3, whole_second, 1},
      {"a key in each phase", 50, {3, 5}, 3, 2, 2},
      {"a key before the first frame", 50, {0}, 0, whole_second_first, 1},
      {"no first phase", 0, {}, 0, whole_second_first, 0},
      {"a first phase of negative length", -5, {}, 0, whole_second_first, 0},
  };
  for (const Case& c : cases) {
    ParticlesRig rig(c.keys);
    EXPECT_EQ(rig.run({c.phase1, 3.5, never}),
              repeated('L', c.first_frames) + repeated('F', c.second_frames))
        << c.what;
    EXPECT_EQ(rig.backend.key_reads(), c.key_reads) << c.what;
  }
}

TEST(ParticlesScene, WordsFadeAroundTheirMomentsAndTheFlashPictureFillsOneFramePast30) {
  ParticlesRig rig;
  rig.shared.word_flash_times.particles = {4, 9};
  rig.shared.word_flash_bias = 50;
  fill(*rig.shared.words_pictures[2], 0x00300000);  // red
  fill(*rig.shared.words_pictures[3], 0x00003000);  // green
  const std::string looks = rig.run({32.0, 2.0, never});
  const std::vector<double> times = loop_frame_times(test_rate, 32.0);
  ASSERT_GT(looks.size(), times.size()) << "no second phase";
  const std::size_t flash = std::find_if(times.begin(), times.end(), [](double t) { return t > 30.0; }) - times.begin();
  EXPECT_EQ(looks.find('P'), flash) << looks;
  EXPECT_EQ(std::count(looks.begin(), looks.end(), 'P'), 1) << looks;
  const auto faded = [](int level) { return static_cast<unsigned>(std::max(0, 0x30 - (256 - level))); };
  for (std::size_t f = 0; f < rig.frames.size(); ++f) {
    if (f == flash) continue;
    // On the black scan line the words are all there is; the second phase has none.
    const double t = f < times.size() ? times[f] : -1000.0;
    const Pixel expected = pixel_rgb(faded(word_flash_level(t, 4, 50)), faded(word_flash_level(t, 9, 50)), 0);
    EXPECT_EQ(pixel_text(rig.frames[f][probe]), pixel_text(f < times.size() ? expected : feedback_grey))
        << "frame " << f;
  }
}

TEST(ParticlesParameters, ThePhasesTheSpareValueAndTheFiveMomentsInFileOrder) {
  const ScratchDirectory scratch;
  const std::string text =
      "First phase\n` 12.5\nSecond phase\n` 3.5\nSpare value\n` 9\n"
      "Toggle moments\n` 1\n` 2\n` 3\n` 4\n` 5\n";
  ConfigReader reader;
  reader.stream.open(scratch.write("particles.conf", {text.begin(), text.end()}));
  const ParticlesParameters read = particles_read_parameters(reader);
  EXPECT_EQ(read.phase1_length, 12.5);
  EXPECT_EQ(read.phase2_length, 3.5);
  EXPECT_EQ(read.spare_value, 9.0);
  for (int k = 0; k < particles_freeze_count; ++k) EXPECT_EQ(read.freeze_times[k], k + 1.0) << "moment " << k;
}

}  // namespace
