// The greets scene played on the headless console: its phases and their
// fades as the frames show them, the key rule, and the border and fade
// helpers it composes with.
#include "scenes/greets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "scene_rig.h"
#include "shell/pixels/screen_buffer.h"

namespace {

// 6.4 frames per second: a step of exactly 0.9765625 scene-time units, so
// the test follows the scene's time exactly.
constexpr FrameRate test_rate = coarse_rate;
const double frame_step = loop_frame_times(test_rate, 2.0, 0.0, false)[1];

// The greetings picture stands in as one grey whose blur is itself
// (8 x (248 >> 3) = 248); the closing words as cyan and red.
constexpr Pixel greetings_grey = 0x00F8F8F8;
constexpr unsigned greetings_level = 248;
constexpr Pixel first_words = 0x0000FFFF;
constexpr Pixel second_words = 0x00FF0000;

// Phases 1-4: the darkest red in the red scan lines inside the border, that
// is the picture under the lattice, which only ever adds light.
unsigned background_red(const std::vector<Pixel>& frame) {
  unsigned darkest = 255;
  for (int y = 16; y < 464; y += 4) {  // rows 4k keep red only
    for (int x = 16; x < 624; ++x) darkest = std::min(darkest, pixel_red(frame[y * 640 + x]));
  }
  return darkest;
}

// Phases 5-6: the pictures are one colour.
Pixel centre(const std::vector<Pixel>& frame) { return frame[240 * 640 + 320]; }

// The phase lengths the tests play: the committed ones.
constexpr GreetsParameters lengths{60.0, 40.0, 80.0, 30.0, 30.0, 60.0};

// The scene started up with the real data files, then given the test's
// lengths and pictures whose frames can be read back. Keys are given in
// scene frames: a key at n waits before the scene's frame n.
struct GreetsRig : SceneRig {
  explicit GreetsRig(std::vector<std::int64_t> key_frames) : SceneRig(test_rate, scene_key_frames(key_frames)) {
    greets_init(shared);
    greets_set_parameters(lengths);
    fill(*shared.work_n, greetings_grey);
    fill(*shared.words_pictures[6], first_words);
    fill(*shared.words_pictures[7], second_words);
    greets_prepare();
  }
  void run() { greets_run(context()); }
};

// The times a phase's frames show, from `start`, after a phase before it.
std::vector<double> phase_times(double start, double length) {
  return loop_frame_times(test_rate, length, start, false);
}

int fade_in(double t, double length) { return static_cast<int>(std::trunc(255.0 - t / length * 255.0)); }
int fade_out(double t, double length) { return static_cast<int>(std::trunc(t / length * 255.0)); }

// Phase 2: the picture, faded by `level`, is blurred in 8 neighbour eighths.
unsigned phase2_background(int level) { return 8 * (std::max(0, static_cast<int>(greetings_level) - level) >> 3); }
// Phase 4: the fade comes after the blur.
unsigned phase4_background(int level) { return static_cast<unsigned>(std::max(0, static_cast<int>(greetings_level) - level)); }

TEST(GreetsScene, AKeyEndsOnlyItsPhaseAndTheNextStartsAtTime0) {
  // Two frames each for phases 1 to 5, then phase 6 plays out.
  GreetsRig rig({2, 4, 6, 8, 10});
  rig.run();
  const std::size_t words_hold_frames = phase_times(0.0, lengths.words_hold).size();
  ASSERT_EQ(rig.frames.size(), 10 + words_hold_frames);
  EXPECT_EQ(rig.backend.key_reads(), 5) << "each key read where its phase ended";

  struct Case {
    std::size_t frame;
    const char* what;
    unsigned background_red;
  };
  const Case masked[] = {
      {2, "phase 2 at time 0: the picture not yet there", 0},
      {4, "phase 3: the picture in full", greetings_level},
      {6, "phase 4 at time 0: not yet faded", phase4_background(0)},
      {7, "phase 4 one step in", phase4_background(fade_out(frame_step, lengths.fade_out))},
  };
  for (const Case& c : masked) {
    EXPECT_EQ(background_red(rig.frames[c.frame]), c.background_red) << "frame " << c.frame << ", " << c.what;
  }
  EXPECT_EQ(centre(rig.frames[8]), 0u) << "phase 5 at time 0: the words fully faded";
  EXPECT_EQ(centre(rig.frames[9]), pixel_grey(255 - fade_in(frame_step, lengths.words_fade_in)) & first_words)
      << "phase 5 one step in";
  EXPECT_EQ(centre(rig.frames[10]), first_words | second_words) << "phase 6: both words";
}

TEST(GreetsScene, FadesRunFromTheirStartToNearTheirEnd) {
  // Phases 2 and 4 from time 0 to their natural end, phase 5 from phase 4's
  // overshoot to its end; keys cut phase 1, phase 3 and phase 6 short.
  const std::vector<double> picture_times = phase_times(0.0, lengths.picture_fade_in);
  const std::vector<double> fade_out_times = phase_times(0.0, lengths.fade_out);
  const double overshoot = fade_out_times.back() + frame_step - lengths.fade_out;
  const std::vector<double> words_times = phase_times(overshoot, lengths.words_fade_in);
  ASSERT_GE(picture_times.size(), 4u);
  ASSERT_GE(fade_out_times.size(), 4u);
  ASSERT_GE(words_times.size(), 4u);

  const std::int64_t picture_first = 2;
  const std::int64_t ripple_first = picture_first + static_cast<std::int64_t>(picture_times.size());
  const std::int64_t fade_out_first = ripple_first + 1;
  const std::int64_t words_first = fade_out_first + static_cast<std::int64_t>(fade_out_times.size());
  const std::int64_t hold_first = words_first + static_cast<std::int64_t>(words_times.size());
  GreetsRig rig({picture_first, fade_out_first, hold_first + 1});
  rig.run();
  ASSERT_EQ(rig.frames.size(), static_cast<std::size_t>(hold_first + 1));

  const std::size_t middle = fade_out_times.size() / 2;
  struct Case {
    std::int64_t frame;
    const char* what;
    unsigned background_red;
  };
  const Case masked[] = {
      {picture_first, "phase 2 starts with only the lattice", phase2_background(255)},
      {ripple_first - 1, "phase 2 ends with the picture nearly full",
       phase2_background(fade_in(picture_times.back(), lengths.picture_fade_in))},
      {fade_out_first, "phase 4 starts unfaded", phase4_background(0)},
      {fade_out_first + static_cast<std::int64_t>(middle), "phase 4 halfway",
       phase4_background(fade_out(fade_out_times[middle], lengths.fade_out))},
      {words_first - 1, "phase 4 ends nearly black", phase4_background(fade_out(fade_out_times.back(), lengths.fade_out))},
  };
  for (const Case& c : masked) {
    EXPECT_EQ(background_red(rig.frames[c.frame]), c.background_red) << "frame " << c.frame << ": " << c.what;
  }
  EXPECT_GE(fade_out(fade_out_times.back(), lengths.fade_out), 240) << "the lengths leave phase 4 short of black";
  EXPECT_EQ(centre(rig.frames[words_first]),
            pixel_grey(255 - fade_in(words_times.front(), lengths.words_fade_in)) & first_words)
      << "phase 5 starts nearly black, from phase 4's overshoot";
  EXPECT_EQ(centre(rig.frames[hold_first - 1]),
            pixel_grey(255 - fade_in(words_times.back(), lengths.words_fade_in)) & first_words)
      << "phase 5 ends with the words nearly full";
  EXPECT_EQ(centre(rig.frames[hold_first]), first_words | second_words);
}

TEST(GreetsFades, LevelsRunBetween0And255OverAPhase) {
  struct Case {
    const char* fade;
    int (*level)(double, double);
    double time, length;
    int expected;
  };
  const Case cases[] = {
      {"in", greets_fade_in_level, 0.0, 40.0, 255},     {"in", greets_fade_in_level, 20.0, 40.0, 127},  // trunc(127.5)
      {"in", greets_fade_in_level, 1.0, 30.0, 246},     // trunc(246.5), not 255 - trunc(8.5)
      {"out", greets_fade_out_level, 0.0, 30.0, 0},     {"out", greets_fade_out_level, 29.9, 30.0, 254},
      {"in", greets_fade_in_level, 45.0, 40.0, 0},      // past the end: held, not wrapped
      {"out", greets_fade_out_level, 45.0, 30.0, 255},
      {"out", greets_fade_out_level, 0.0, 0.0, 0},  // a zero length never shows a frame; still defined
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.level(c.time, c.length), c.expected) << "fade " << c.fade << " at " << c.time << " of " << c.length;
  }
}

TEST(GreetsBorder, Clears16PixelsAroundThePictureAndNothingElse) {
  ScreenBuffer screen;
  fill(screen, 0x00FFFFFF);
  greets_draw_black_border(screen.pixels());
  for (int i = 0; i < screen_pixels; ++i) {
    const int x = i % 640, y = i / 640;
    const bool border = y < 16 || y >= 464 || x < 16 || x >= 624;
    ASSERT_EQ(screen[i], border ? 0u : 0x00FFFFFFu) << "(" << x << ", " << y << ")";
  }
}

}  // namespace
