// The console on the headless backend: scripted keys and quit requests, the
// virtual frame clock, the frames handed out, and what the console refuses.
// (The key rule of the scenes' frame loops is the scenes' test; the exact
// time of frame n, FrameRate::seconds_at's.)
#include "shell/platform/ptc_headless.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "shell/platform/ptc.h"

namespace {

// An open console with frame 0 already shown, as the sequence shows its
// loading picture; keeps every frame and its first pixel.
struct HeadlessRig {
  explicit HeadlessRig(ptc::HeadlessScript script = {})
      : backend(std::move(script),
                [this](const ptc::HeadlessFrame& f) { frames.push_back(f); first_pixels.push_back(f.pixels[0]); }),
        console(backend) {
    console.open("test", 640, 480, ptc::program_format(), 0);
    console.update();
  }
  // The next frame, with `value` in its first pixel.
  void present(Pixel value) {
    surface.lock()[0] = value;
    surface.unlock();
    surface.copy(console);
    console.update();
  }

  ptc::HeadlessBackend backend;
  std::vector<ptc::HeadlessFrame> frames;  // their pixels are gone after the callback
  std::vector<Pixel> first_pixels;
  ptc::Console console;
  ptc::Surface surface{640, 480, ptc::program_format()};
};

TEST(HeadlessConsole, ScriptedKeysAndQuitRequestsWaitAndFramesCarryTheirTimesAndTheLastCopiedPicture) {
  struct Case {
    const char* name;
    std::vector<std::int64_t> key_frames;
    std::optional<std::int64_t> quit_frame;
    const char* expected;  // before frames 1 to 6: "k" a key waits (and one is read), "-" none
  };
  const Case cases[] = {
      {"no key", {}, {}, "------"},
      {"keys before frames 4, 1 and 1", {4, 1, 1}, {}, "kk-k--"},
      {"a key pressed while frame 0 shows", {0}, {}, "k-----"},
      {"a quit request before frame 3", {}, 3, "--kkkk"},
  };
  for (const Case& c : cases) {
    HeadlessRig rig({FrameRate{}, c.key_frames, c.quit_frame});  // frame 0 shown
    std::string got;
    for (int frame = 1; frame <= 6; ++frame) {
      const bool waiting = rig.console.key();
      EXPECT_EQ(rig.console.key(), waiting) << c.name << ": testing for a key consumed it";
      if (waiting) rig.console.read();
      got += waiting ? 'k' : '-';
      rig.present(0);
    }
    EXPECT_EQ(got, c.expected) << c.name;
    EXPECT_EQ(rig.console.key(), c.quit_frame.has_value()) << c.name << ": after six frames";
  }
  HeadlessRig rig({FrameRate{30, 1}, {}, {}});  // frame 0 without a timer read, like the loading picture
  EXPECT_THROW(rig.console.read(), ptc::DynamicError) << "read() with nothing waiting";

  // A scene's first delta is zero, and frames carry their times and the last copied picture.
  ptc::Timer timer(rig.console);
  timer.start();
  EXPECT_EQ(timer.delta(), 0.0);
  rig.present(7);
  rig.console.update();  // no copy in between: the same picture again
  rig.present(9);
  EXPECT_DOUBLE_EQ(timer.delta(), 3.0 / 30.0);
  EXPECT_EQ(rig.backend.seconds(), 3 / 30.0) << "between updates the clock shows the last frame's time";
  EXPECT_EQ(rig.first_pixels, (std::vector<Pixel>{0, 7, 7, 9}));
  ASSERT_EQ(rig.frames.size(), 4u);
  EXPECT_FALSE(rig.frames[0].timed) << "frame 0 had no clock read before it";
  EXPECT_TRUE(rig.frames[1].timed);
  for (std::int64_t n = 0; n < 4; ++n) {
    EXPECT_EQ(rig.frames[n].number, n);
    EXPECT_EQ(rig.frames[n].seconds, n / 30.0) << "frame " << n;
  }
}

void open_console(ptc::Console& console) { console.open("t", 640, 480, ptc::program_format(), 0); }

TEST(Console, RefusesWhatItCannotDo) {
  const std::pair<const char*, void (*)(ptc::Console&)> actions[] = {
      {"open at 800 x 600", [](ptc::Console& c) { c.open("t", 800, 600, ptc::program_format(), 0); }},
      {"open in 16 bits", [](ptc::Console& c) { c.open("t", 640, 480, ptc::Format(16, 0xF800, 0x7E0, 0x1F, 0), 0); }},
      {"open with 2 pages", [](ptc::Console& c) { c.open("t", 640, 480, ptc::program_format(), 2); }},
      {"update before open", [](ptc::Console& c) { c.update(); }},
      {"key before open", [](ptc::Console& c) { c.key(); }},
      {"open twice", [](ptc::Console& c) { open_console(c); open_console(c); }},
      {"copy a locked surface",
       [](ptc::Console& c) { open_console(c); ptc::Surface s(640, 480, ptc::program_format()); s.lock(); s.copy(c); }},
      {"copy a 640 x 400 surface",
       [](ptc::Console& c) { open_console(c); ptc::Surface(640, 400, ptc::program_format()).copy(c); }},
      {"delta of an unstarted timer", [](ptc::Console& c) { ptc::Timer(c).delta(); }},
  };
  for (const auto& [name, action] : actions) {
    ptc::HeadlessBackend backend;
    ptc::Console console(backend);
    EXPECT_THROW(action(console), ptc::DynamicError) << name;
  }
}

TEST(Console, UnderstandsTheFullScreenOptionsBeforeOpeningOnly) {
  ptc::HeadlessBackend backend;
  ptc::Console console(backend);
  for (const char* text : {"DirectX", "fullscreen output", "default width 640", "default height 99"})
    EXPECT_TRUE(console.option(text)) << "option(\"" << text << "\")";
  for (const char* text : {"default width", "default width ", "default width -3", "default width 0",
                           "default width 123456", "windowed please", ""})
    EXPECT_FALSE(console.option(text)) << "option(\"" << text << "\")";
  console.open("Title", 640, 480, ptc::program_format(), 0);
  EXPECT_TRUE(backend.opened().fullscreen);
  EXPECT_EQ(backend.opened().title, "Title");
  EXPECT_FALSE(console.option("DirectX")) << "an option after opening";
}

}  // namespace
