// The SDL console in a real window, on a private Xvfb server: the picture
// read back from windows of several shapes, full screen, key presses, and
// quit requests from the window and from signals.
#include "shell/platform/ptc_sdl.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <signal.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "shell/platform/picture_fit.h"
#include "shell/platform/ptc.h"
#include "shell/platform/sdl_window.h"
#include "support/picture_check.h"
#include "support/xvfb.h"

namespace {

// A picture whose every pixel tells where it came from, with distinct neighbours.
Pixel probe_pixel(int x, int y) { return pixel_rgb(x & 0xFF, y & 0xFF, (x >> 8) * 64 + (y >> 8) * 16 + 5); }

// Four flat quadrants, for checks where smoothing blends neighbours.
constexpr Pixel quadrant_colours[4] = {0x00FF2010, 0x0010E040, 0x002040FF, 0x00F0F0F0};
Pixel quadrant_pixel(int x, int y) { return quadrant_colours[(y >= 240) * 2 + (x >= 320)]; }

class SdlConsoleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // One server for the whole process: SDL video, once started, stays
    // connected to it until the process ends.
    static XvfbServer server;
    if (!server.ok()) GTEST_SKIP() << "no X server for the SDL console: " << server.reason();
    // SDL's software renderer on a plain X framebuffer: a desktop's calls
    // without Mesa's threads, which trip up the leak checker at exit.
    setenv("SDL_RENDER_DRIVER", "software", 1);
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 1);
    setenv("DISPLAY", server.display().c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("SDL_VIDEODRIVER");
    reopen(false);
  }

  // A fresh backend and console, open in a window or full screen.
  void reopen(bool fullscreen) {
    console_.reset();  // before the backend it uses
    backend_ = std::make_unique<ptc::SdlBackend>();
    console_ = std::make_unique<ptc::Console>(*backend_);
    if (fullscreen) console_->option("fullscreen output");
    console_->open("Quorvane test window", 640, 480, ptc::program_format(), 0);
  }
  SDL_Window* window() { return ptc::sdl_window_of(console_->window()); }

  void show(Pixel (*picture)(int, int)) {
    ptc::Surface surface(640, 480, ptc::program_format());
    Pixel* pixels = surface.lock();
    for (int i = 0; i < 640 * 480; ++i) pixels[i] = picture(i % 640, i / 640);
    surface.unlock();
    surface.copy(*console_);
    console_->update();
  }

  std::unique_ptr<ptc::SdlBackend> backend_;
  std::unique_ptr<ptc::Console> console_;  // goes first
};

// Whole multiples show the picture exactly, every window pixel from its
// picture pixel; other sizes show it smoothed in the fit's area (its rules
// are picture_fit's test), with black bars beside it.
TEST_F(SdlConsoleTest, ShowsThePictureInTheLargest43AreaExactAtWholeMultiples) {
  // Exactly twice; bars left and right and a smooth rest over 1.25; a smooth shrink.
  for (const auto& [window_width, window_height] : {std::pair{1280, 960}, {1000, 600}, {400, 300}}) {
    const PictureFit area = fit_picture(640, 480, window_width, window_height);
    const bool exact = !area.smooth_rest;
    const std::string size = std::to_string(window_width) + "x" + std::to_string(window_height);
    show(exact ? probe_pixel : quadrant_pixel);
    SDL_SetWindowSize(window(), window_width, window_height);
    // The X server resizes the window in its own time; the renderer follows
    // through the events the console pumps.
    SDL_Rect viewport{};
    for (int i = 0; i < 200 && (i < 3 || viewport.w != window_width || viewport.h != window_height); ++i) {
      console_->update();
      SDL_RenderGetViewport(SDL_GetRenderer(window()), &viewport);
      SDL_Delay(5);
    }
    int width = 0, height = 0;
    std::vector<Pixel> got = backend_->read_window(&width, &height);
    ASSERT_EQ(std::to_string(width) + "x" + std::to_string(height), size);
    // Bars black; the area exactly the picture, or, smoothed, what it shows
    // but for each quadrant's colour away from the seams.
    std::vector<Pixel> expected(got.size());
    for (int i = 0; i < width * height; ++i) {
      const int x = i % width - area.x, y = i / width - area.y;
      const bool inside = x >= 0 && x < area.width && y >= 0 && y < area.height;
      got[i] &= 0xFFFFFFu;
      expected[i] = !inside ? 0 : exact ? probe_pixel(x * 640 / area.width, y * 480 / area.height) : got[i];
    }
    for (int k = 0; k < 4 && !exact; ++k) {
      expected[(area.y + area.height / 4 + (k / 2) * area.height / 2) * width + area.x + area.width / 4 +
               (k % 2) * area.width / 2] = quadrant_colours[k];
    }
    EXPECT_TRUE(same_picture("sdl_console_" + size, expected.data(), got.data(), width, height));
  }
}

void push(Uint32 type, SDL_Keycode key = 0, Uint16 modifiers = KMOD_NONE, bool repeat = false, Uint8 window = 0) {
  SDL_Event event{};
  event.type = type;
  event.window.event = window;
  if (type == SDL_KEYDOWN || type == SDL_KEYUP) {
    event.key.keysym.sym = key;
    event.key.keysym.mod = modifiers;
    event.key.repeat = repeat;
  }
  SDL_PushEvent(&event);
}

// Full screen is checked as SDL reports it: under a bare Xvfb no window
// manager carries out the request, so the X window keeps its size.
TEST_F(SdlConsoleTest, OpensItsTitledResizableWindowAndKeysWaitButTogglesAreNoPresses) {
  for (const bool full : {true, false}) {
    reopen(full);
    const std::string what = full ? "full screen" : "windowed";
    EXPECT_STREQ(SDL_GetWindowTitle(window()), "Quorvane test window") << what;
    const Uint32 flags = SDL_GetWindowFlags(window());
    EXPECT_EQ((flags & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP, full) << what;
    EXPECT_NE(flags & SDL_WINDOW_RESIZABLE, 0u) << what;
    int width = 0, height = 0;
    SDL_GetWindowSize(window(), &width, &height);
    EXPECT_EQ(std::to_string(width) + "x" + std::to_string(height), full ? "1024x768" : "640x480") << what;
  }

  // Which events are presses is the key filter's test; here, that they reach it.
  push(SDL_KEYDOWN, SDLK_ESCAPE);
  push(SDL_KEYDOWN, SDLK_ESCAPE, KMOD_NONE, true);  // auto-repeat
  EXPECT_TRUE(console_->key());
  console_->read();
  EXPECT_FALSE(console_->key()) << "the auto-repeat counted as a second press";
  push(SDL_KEYDOWN, SDLK_F11);
  EXPECT_FALSE(console_->key()) << "F11 counted as a key press";
  EXPECT_NE(SDL_GetWindowFlags(window()) & SDL_WINDOW_FULLSCREEN, 0u) << "F11 did not go full screen";
  push(SDL_KEYDOWN, SDLK_LALT, KMOD_LALT);
  push(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT);
  EXPECT_FALSE(console_->key()) << "Alt+Enter counted as a key press";
  EXPECT_EQ(SDL_GetWindowFlags(window()) & SDL_WINDOW_FULLSCREEN, 0u) << "Alt+Enter did not leave full screen";
}

TEST_F(SdlConsoleTest, AQuitRequestHidesTheWindowAndLeavesAKeyWaiting) {
  const std::pair<const char*, void (*)()> requests[] = {
      {"window close button", [] { push(SDL_WINDOWEVENT, 0, 0, false, SDL_WINDOWEVENT_CLOSE); }},
      {"SDL_QUIT", [] { push(SDL_QUIT); }},
      {"SIGTERM", [] { raise(SIGTERM); }},  // SIGINT alike: the quit-signal record's test
  };
  for (const auto& [name, request] : requests) {
    reopen(false);
    show(probe_pixel);
    EXPECT_FALSE(console_->key()) << name;
    request();
    EXPECT_TRUE(console_->key()) << name;
    EXPECT_NE(SDL_GetWindowFlags(window()) & SDL_WINDOW_HIDDEN, 0u) << name << ": the window is still shown";
  }
}

}  // namespace
