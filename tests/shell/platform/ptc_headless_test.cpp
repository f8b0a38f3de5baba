// The headless console: its virtual frame clock, scripted keys and quit,
// the frames it hands out, and the key rule as a scene's frame loop follows
// it on top of the console.
#include "shell/platform/ptc_headless.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "scenes/scene.h"
#include "shell/platform/ptc.h"

namespace {

// A console and a staging surface on the headless backend, with frame 0
// already shown as the sequence shows its loading picture.
struct HeadlessRig {
  explicit HeadlessRig(ptc::HeadlessScript script = {})
      : backend(std::move(script),
                [this](const ptc::HeadlessFrame& frame) {
                  frames.push_back(frame);
                  first_pixels.push_back(frame.pixels[0]);
                }),
        console(backend),
        surface(640, 480, ptc::program_format()) {
    console.open("test", 640, 480, ptc::program_format(), 0);
    console.update();
  }

  ptc::HeadlessBackend backend;
  std::vector<ptc::HeadlessFrame> frames;  // their pixels are gone after the callback
  std::vector<Pixel> first_pixels;
  ptc::Console console;
  ptc::Surface surface;
};

// A frame loop as every scene writes one: its own timer, the loop condition
// before the first frame, the key test at the top of each frame, the timer
// delta, one picture per frame. Returns the number of frames shown.
int run_loop(HeadlessRig& rig, double length) {
  ptc::Timer timer(rig.console);
  timer.start();
  timer.time();
  int shown = 0;
  double scene_time = 0.0;
  while (scene_time < length) {
    if (rig.console.key()) break;
    const double step = 6.25 * timer.delta();
    Pixel* pixels = rig.surface.lock();
    pixels[0] = static_cast<Pixel>(shown);
    rig.surface.unlock();
    rig.surface.copy(rig.console);
    rig.console.update();
    scene_time += step;
    ++shown;
  }
  return shown;
}

// A loop of 100 frames at 60 fps: the first frame reads a delta of 0, each
// later one 6.25 / 60 scene-time units, so the 100th ends at 99 steps.
constexpr double hundred_frames = 98.5 * 6.25 / 60;

TEST(HeadlessKeyRule, KeyPressesAndQuitRequestsEndTheLoopsTheyFallIn) {
  struct Case {
    const char* name;
    std::vector<std::int64_t> key_frames;
    std::optional<std::int64_t> quit_frame;
    double length;                     // of each loop
    std::vector<int> expected_frames;  // of three consecutive loops, a key read after each
  };
  const Case cases[] = {
      {"no key", {}, {}, hundred_frames, {100, 100, 100}},
      {"a key pressed while the loading picture shows", {0}, {}, hundred_frames, {0, 100, 100}},
      {"a key waiting before the first frame", {1}, {}, hundred_frames, {0, 100, 100}},
      {"two keys at once end two consecutive loops", {4, 4}, {}, hundred_frames, {3, 0, 100}},
      {"keys at frames 6 and 9", {6, 9}, {}, hundred_frames, {5, 3, 100}},
      {"a key for each loop", {1, 1, 1}, {}, hundred_frames, {0, 0, 0}},
      {"loops of length 0 show nothing, and the read still consumes the key", {1}, {}, 0.0, {0, 0, 0}},
      {"negative lengths too", {1}, {}, -5.0, {0, 0, 0}},
      {"a quit request ends every remaining loop", {}, 5, hundred_frames, {4, 0, 0}},
  };
  for (const Case& c : cases) {
    ptc::HeadlessScript script;
    script.key_frames = c.key_frames;
    script.quit_frame = c.quit_frame;
    HeadlessRig rig(script);
    std::vector<int> got;
    for (int loop = 0; loop < 3; ++loop) {
      got.push_back(run_loop(rig, c.length));
      consume_waiting_key(rig.console);
    }
    EXPECT_EQ(got, c.expected_frames) << c.name;
    EXPECT_EQ(rig.console.key(), c.quit_frame.has_value())
        << c.name << (c.quit_frame ? ": reading cleared the quit request" : ": a key press is left waiting");
  }
}

TEST(HeadlessKeyRule, TestingForAKeyDoesNotConsumeIt) {
  HeadlessRig rig({{}, {1}, {}});
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(rig.console.key()) << "test " << i;
  EXPECT_EQ(rig.backend.key_reads(), 0);
  rig.console.read();
  EXPECT_FALSE(rig.console.key());
  EXPECT_THROW(rig.console.read(), ptc::DynamicError) << "read() with nothing waiting";
}

TEST(HeadlessClock, FrameNIsPresentedAtExactlyNOverTheRateWithNoDriftOver100000Frames) {
  struct Case {
    const char* rate;
    double (*exact)(std::int64_t frame);  // n / rate, rounded once
  };
  const Case cases[] = {
      {"60", [](std::int64_t n) { return static_cast<double>(n) / 60.0; }},
      {"25", [](std::int64_t n) { return static_cast<double>(n) / 25.0; }},
      {"60000/1001", [](std::int64_t n) { return static_cast<double>(n * 1001) / 60000.0; }},
      {"59.94", [](std::int64_t n) { return static_cast<double>(n * 50) / 2997.0; }},
  };
  for (const Case& c : cases) {
    ptc::HeadlessScript script;
    script.rate = *parse_frame_rate(c.rate);
    ptc::HeadlessBackend backend(script);
    ptc::Console console(backend);
    console.open("test", 640, 480, ptc::program_format(), 0);
    ptc::Timer timer(console);
    timer.start();
    EXPECT_EQ(timer.time(), 0.0) << c.rate;
    constexpr std::int64_t frame_count = 100000;
    std::int64_t first_wrong = -1;
    double worst_step_error = 0.0;
    for (std::int64_t n = 0; n < frame_count; ++n) {
      console.update();  // frame n
      const double delta = timer.delta();
      if (n > 0) worst_step_error = std::max(worst_step_error, std::abs(delta - c.exact(1)));
      if (first_wrong < 0 && timer.time() != c.exact(n)) first_wrong = n;
    }
    EXPECT_EQ(first_wrong, -1) << c.rate << ": at frame " << first_wrong << " expected " << c.exact(first_wrong);
    EXPECT_LT(worst_step_error, 1e-9) << c.rate;
    EXPECT_EQ(timer.time(), c.exact(frame_count - 1)) << c.rate;
  }
}

TEST(HeadlessConsole, AScenesFirstDeltaIsZeroAndFramesCarryTheirTimesAndTheLastCopiedPicture) {
  ptc::HeadlessScript script;
  script.rate = FrameRate{30, 1};
  HeadlessRig rig(script);  // frame 0 without a timer read, like the loading picture
  ptc::Timer timer(rig.console);
  timer.start();
  EXPECT_EQ(timer.delta(), 0.0);
  for (Pixel value : {7u, 9u}) {
    rig.surface.lock()[0] = value;
    rig.surface.unlock();
    rig.surface.copy(rig.console);
    rig.console.update();
    rig.console.update();  // no copy in between: the same picture again
  }
  EXPECT_DOUBLE_EQ(timer.delta(), 4.0 / 30.0);
  EXPECT_EQ(rig.first_pixels, (std::vector<Pixel>{0, 7, 7, 9, 9}));
  ASSERT_EQ(rig.frames.size(), 5u);
  EXPECT_FALSE(rig.frames[0].timed) << "frame 0 had no clock read before it";
  for (std::int64_t n = 0; n < 5; ++n) {
    EXPECT_EQ(rig.frames[n].number, n);
    EXPECT_EQ(rig.frames[n].seconds, n / 30.0) << "frame " << n;
  }
  EXPECT_TRUE(rig.frames[1].timed);
  EXPECT_GE(rig.frames[1].compose_seconds, 0.0);
}

void open_console(ptc::Console& console) { console.open("t", 640, 480, ptc::program_format(), 0); }

// Opens the console and copies a surface of the given size to it.
void copy_surface(ptc::Console& console, int width, bool locked) {
  open_console(console);
  ptc::Surface surface(width, width * 3 / 4, ptc::program_format());
  if (locked) surface.lock();
  surface.copy(console);
}

TEST(Console, RefusesWhatItCannotDo) {
  struct Case {
    const char* name;
    void (*action)(ptc::Console& console);
  };
  const Case cases[] = {
      {"open at 800 x 600", [](ptc::Console& c) { c.open("t", 800, 600, ptc::program_format(), 0); }},
      {"open in 16 bits", [](ptc::Console& c) { c.open("t", 640, 480, ptc::Format(16, 0xF800, 0x7E0, 0x1F, 0), 0); }},
      {"open with 2 pages", [](ptc::Console& c) { c.open("t", 640, 480, ptc::program_format(), 2); }},
      {"update before open", [](ptc::Console& c) { c.update(); }},
      {"key before open", [](ptc::Console& c) { c.key(); }},
      {"open twice", [](ptc::Console& c) { open_console(c); open_console(c); }},
      {"copy a locked surface", [](ptc::Console& c) { copy_surface(c, 640, true); }},
      {"copy a surface of another size", [](ptc::Console& c) { copy_surface(c, 320, false); }},
      {"delta of an unstarted timer", [](ptc::Console& c) { ptc::Timer(c).delta(); }},
  };
  for (const Case& c : cases) {
    ptc::HeadlessBackend backend;
    ptc::Console console(backend);
    EXPECT_THROW(c.action(console), ptc::DynamicError) << c.name;
  }
}

TEST(Console, UnderstandsTheFullScreenOptionsBeforeOpeningOnly) {
  struct Case {
    const char* text;
    bool understood;
  };
  const Case cases[] = {{"DirectX", true},           {"fullscreen output", true}, {"default width 640", true},
                        {"default height 480", true}, {"default width", false},    {"default width -3", false},
                        {"default width 0", false},   {"windowed please", false},  {"", false}};
  for (const Case& c : cases) {
    ptc::HeadlessBackend backend;
    ptc::Console console(backend);
    EXPECT_EQ(console.option(c.text), c.understood) << "option(\"" << c.text << "\")";
  }
  ptc::HeadlessBackend backend;
  ptc::Console console(backend);
  EXPECT_TRUE(console.option("fullscreen output"));
  console.open("Title", 640, 480, ptc::program_format(), 0);
  EXPECT_TRUE(backend.opened().fullscreen);
  EXPECT_EQ(backend.opened().title, "Title");
  EXPECT_FALSE(console.option("DirectX")) << "an option after opening";
  EXPECT_EQ(console.window(), nullptr);
}

}  // namespace
