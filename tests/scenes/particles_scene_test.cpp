// The particles scene played on the headless console: the live and frozen
// views and their toggles, the time carried into the second phase, the key
// rule, and the word and flash pictures.
#include "scenes/particles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "data/temp_text_file.h"
#include "scene_rig.h"
#include "scenes/word_flash.h"
#include "shell/screen_buffer.h"

namespace {

// 6.4 frames per second: a step of exactly 0.9765625 scene-time units, so
// the test follows the scene's time exactly.
constexpr FrameRate test_rate = coarse_rate;

// The feedback picture starts as one grey that the channel blur keeps as it
// is (2 x ((64 >> 1) & 63) = 64 per channel), so a frame far from the figure
// shows 0x404040 in full colour and black in every fourth row under the
// scan lines.
constexpr Pixel feedback_grey = 0x00404040;
constexpr Pixel first_flash = 0x00000011;   // sublim_pictures[2]
constexpr Pixel second_flash = 0x00000022;  // sublim_pictures[3]
constexpr int probe = 7 * 640 + 5;          // (5, 7): a black scan line under the mask

enum class Look { live, full_colour, first_flash, second_flash, other };

const char* name(Look look) {
  switch (look) {
    case Look::live: return "live";
    case Look::full_colour: return "full colour";
    case Look::first_flash: return "first flash picture";
    case Look::second_flash: return "second flash picture";
    case Look::other: return "other";
  }
  return "?";
}

Look look_of(const std::vector<Pixel>& frame) {
  const Pixel p = frame[probe];
  const bool row_black = std::all_of(frame.begin() + 7 * 640, frame.begin() + 8 * 640, [](Pixel q) { return q == 0; });
  if (row_black) return Look::live;
  if (p == feedback_grey) return Look::full_colour;
  if (p == first_flash) return Look::first_flash;
  if (p == second_flash) return Look::second_flash;
  return Look::other;
}

std::string looks_text(const std::vector<Look>& looks) {
  std::string s;
  for (Look look : looks) s += std::string(s.empty() ? "" : ", ") + name(look);
  return s;
}

struct Timing {
  double phase1, phase2;
  std::vector<double> freeze_times;  // five
};

std::string parameter_text(const Timing& timing) {
  std::string text = "Particles test timing\n\nFirst phase length\n` " + std::to_string(timing.phase1) +
                     "\nSecond phase length\n` " + std::to_string(timing.phase2) + "\nSpare value here\n` 9\n";
  for (double moment : timing.freeze_times) text += "Toggle moment\n` " + std::to_string(moment) + "\n";
  return text;
}

void fill(ScreenBuffer& buffer, Pixel value) { std::fill(buffer.pixels(), buffer.pixels() + screen_pixels, value); }

// The scene started up with the committed paths and a parameter file of the
// test's own. Keys are given in scene frames: a key at n waits before the
// scene's frame n.
struct ParticlesRig : SceneRig {
  ParticlesRig(const Timing& timing, std::vector<std::int64_t> key_frames, const std::string& file_suffix = "")
      : SceneRig(test_rate, backend_frames(key_frames)) {
    fill(*shared.sublim_pictures[2], first_flash);
    fill(*shared.sublim_pictures[3], second_flash);
    particles_init(shared, write_temp_text_file(parameter_text(timing), file_suffix).c_str());
    particles_prepare();
    fill(*shared.work_b, feedback_grey);
  }

  std::vector<Look> run() {
    particles_run(context());
    std::vector<Look> looks;
    for (const std::vector<Pixel>& frame : frames) looks.push_back(look_of(frame));
    return looks;
  }

  static std::vector<std::int64_t> backend_frames(std::vector<std::int64_t> scene_frames) {
    for (std::int64_t& frame : scene_frames) ++frame;  // after the loading picture
    return scene_frames;
  }
};

const std::vector<double> never = {1000, 1000, 1000, 1000, 1000};

std::vector<Look> repeated(Look look, std::size_t count) { return std::vector<Look>(count, look); }

std::vector<Look> joined(std::vector<Look> a, const std::vector<Look>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(ParticlesScene, ParameterFileValuesAreReadInOrder) {
  ParticlesRig rig({12.5, 7.25, {1, 2, 3, 4, 5}}, {});
  const ParticlesTiming timing = particles_timing();
  EXPECT_EQ(timing.phase1_length, 12.5);
  EXPECT_EQ(timing.phase2_length, 7.25);
  EXPECT_EQ(timing.spare_value, 9.0);
  EXPECT_EQ(timing.freeze_times, (std::array<double, 5>{1, 2, 3, 4, 5}));
}

TEST(ParticlesScene, FreezeMomentsToggleOneAFrameAndTheIndexOnlyMovesForward) {
  // Frames of the first phase start at 0, 0, 0.98, 1.95, 2.93, 3.91, 4.88,
  // 5.86, 6.84, 7.81, 8.79, 9.77, 10.74, 11.72.
  const Look L = Look::live, F = Look::full_colour;
  struct Case {
    const char* what;
    std::vector<double> freeze_times;
    std::vector<Look> looks;
  };
  const Case cases[] = {
      {"moments passed two at a time", {3, 3, 6, 6, 9}, {L, L, L, L, L, F, L, L, F, L, L, F, F, F}},
      {"moments out of order", {5, 2, 7, 1, 100}, {L, L, L, L, L, L, L, F, L, F, L, L, L, L}},
  };
  for (const Case& c : cases) {
    ParticlesRig rig({12.0, 0.0, c.freeze_times}, {}, std::to_string(&c - cases));
    EXPECT_EQ(looks_text(rig.run()), looks_text(c.looks)) << c.what;
  }
}

TEST(ParticlesScene, AfterTheFifthToggleTheFirstPhaseHoldsItsFrozenStill) {
  ParticlesRig rig({12.0, 0.0, {3, 3, 6, 6, 9}}, {});
  rig.run();
  ASSERT_EQ(rig.frames.size(), 14u);
  for (std::size_t frame = 12; frame < 14; ++frame) {
    EXPECT_TRUE(rig.frames[frame] == rig.frames[11]) << "frame " << frame << " differs from the still of frame 11";
  }
  EXPECT_FALSE(rig.frames[8] == rig.frames[11]) << "the stills of the third and fifth toggles should differ";
}

TEST(ParticlesScene, TimePastTheFirstPhaseCarriesIntoTheSecond) {
  // The first phase's frames start at 0, 0, ..., 4.88 and end at 5.86: the
  // second phase starts 0.86 in.
  ParticlesRig rig({5.0, 3.5, never}, {});
  const std::vector<double> first = loop_frame_times(test_rate, 5.0);
  const double overshoot = first.back() + 0.9765625 - 5.0;
  const std::vector<double> second = loop_frame_times(test_rate, 3.5, overshoot, false);
  ASSERT_NE(second.size(), loop_frame_times(test_rate, 3.5, 0.0, false).size()) << "the case cannot tell";
  const std::vector<Look> looks = rig.run();
  EXPECT_EQ(looks_text(looks),
            looks_text(joined(repeated(Look::live, first.size()), repeated(Look::full_colour, second.size()))));

  // The figure and its trails are there: pixels brighter than the grey.
  const std::vector<Pixel>& last = rig.frames.back();
  const auto bright = std::count_if(last.begin(), last.end(), [](Pixel p) {
    return pixel_red(p) > 0x50 || pixel_green(p) > 0x50 || pixel_blue(p) > 0x50;
  });
  EXPECT_GT(bright, 500) << "no figure drawn in the last frame";
}

TEST(ParticlesScene, AKeyEndsOnlyThePhaseItFallsIn) {
  struct Case {
    const char* what;
    std::vector<std::int64_t> keys;  // scene frames
    std::size_t first_frames, second_frames;
    long key_reads;
  };
  const std::size_t whole_second = loop_frame_times(test_rate, 3.5, 0.0, false).size();
  // With no frame shown before it, the second phase reads the timer's first delta, 0.
  const std::size_t whole_second_first = loop_frame_times(test_rate, 3.5, 0.0, true).size();
  const Case cases[] = {
      {"a key in the first phase: the second from time 0", {3}, 3, whole_second, 1},
      {"a key in each phase", {3, 5}, 3, 2, 2},
      {"a key before the first frame", {0}, 0, whole_second_first, 1},
  };
  for (const Case& c : cases) {
    ParticlesRig rig({50.0, 3.5, never}, c.keys, std::to_string(&c - cases));
    EXPECT_EQ(looks_text(rig.run()), looks_text(joined(repeated(Look::live, c.first_frames),
                                                       repeated(Look::full_colour, c.second_frames))))
        << c.what;
    EXPECT_EQ(rig.backend.key_reads(), c.key_reads) << c.what;
  }
}

TEST(ParticlesScene, AFirstPhaseWithoutLengthShowsNoFrameAndTheSecondStartsAtTime0) {
  // The second phase's first frame reads the timer's first delta, 0.
  const std::size_t second = loop_frame_times(test_rate, 3.5, 0.0, true).size();
  for (double phase1 : {0.0, -5.0}) {
    ParticlesRig rig({phase1, 3.5, never}, {}, std::to_string(phase1));
    EXPECT_EQ(looks_text(rig.run()), looks_text(repeated(Look::full_colour, second))) << "first phase " << phase1;
  }
}

TEST(ParticlesScene, TheFirstFlashPictureFillsOneFrameOnceTimeIsPast30) {
  ParticlesRig rig({32.0, 0.0, never}, {});
  const std::vector<Look> looks = rig.run();
  const std::vector<double> times = loop_frame_times(test_rate, 32.0);
  ASSERT_EQ(looks.size(), times.size());
  const std::size_t flash = std::find_if(times.begin(), times.end(), [](double t) { return t > 30.0; }) - times.begin();
  std::vector<Look> expected = repeated(Look::live, times.size());
  expected[flash] = Look::first_flash;
  EXPECT_EQ(looks_text(looks), looks_text(expected));
}

TEST(ParticlesScene, WordPicturesFadeInAndOutAroundTheirMomentsInTheFirstPhaseOnly) {
  ParticlesRig rig({12.0, 2.0, never}, {});
  rig.shared.word_flash_times.particles = {4, 9};
  rig.shared.word_flash_bias = 50;
  fill(*rig.shared.words_pictures[2], 0x00300000);  // red
  fill(*rig.shared.words_pictures[3], 0x00003000);  // green
  particles_init(rig.shared, write_temp_text_file(parameter_text({12.0, 2.0, never})).c_str());
  particles_prepare();
  rig.run();
  const std::vector<double> times = loop_frame_times(test_rate, 12.0);
  ASSERT_GT(rig.frames.size(), times.size()) << "no second phase";
  const auto faded = [](int level) { return static_cast<unsigned>(std::max(0, 0x30 - (256 - level))); };
  for (std::size_t f = 0; f < times.size(); ++f) {
    // On the black scan line the words are all there is.
    const Pixel expected = pixel_rgb(faded(word_flash_level(times[f], 4, 50)), faded(word_flash_level(times[f], 9, 50)), 0);
    EXPECT_EQ(pixel_text(rig.frames[f][probe]), pixel_text(expected)) << "first phase at " << times[f];
  }
  for (std::size_t f = times.size(); f < rig.frames.size(); ++f) {
    EXPECT_EQ(pixel_text(rig.frames[f][probe]), pixel_text(0)) << "second phase frame " << f - times.size();
  }
}

}  // namespace
