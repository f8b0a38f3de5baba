// The SDL console in a real window, on a private Xvfb server: geometry and
// scaling of the picture read back from the window, full screen, key
// presses, and quit requests from the window and from signals.
#include "shell/ptc_sdl.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <signal.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "data/png_file.h"
#include "shell/ptc.h"
#include "shell/screen_buffer.h"
#include "support/xvfb.h"

namespace {

constexpr int xvfb_width = 1024;
constexpr int xvfb_height = 768;

// A picture whose every pixel tells where it came from: x in red and blue,
// y in green, with distinct neighbours.
Pixel probe_pixel(int x, int y) { return pixel_rgb(x & 0xFF, y & 0xFF, (x >> 8) * 64 + (y >> 8) * 16 + 5); }

// Four flat quadrants, for checks where smoothing blends neighbours.
constexpr Pixel quadrant_colours[4] = {0x00FF2010, 0x0010E040, 0x002040FF, 0x00F0F0F0};
Pixel quadrant_pixel(int x, int y) { return quadrant_colours[(y >= 240) * 2 + (x >= 320)]; }

class SdlConsoleTest : public ::testing::Test {
 protected:
  // One server for the whole process: SDL video, once started, stays
  // connected to it until the process ends.
  static XvfbServer& server() {
    static XvfbServer instance(xvfb_width, xvfb_height);
    return instance;
  }
  static void SetUpTestSuite() {
    if (!server().ok()) return;
    // SDL's own software renderer on a plain X framebuffer: the same
    // rendering calls as on a desktop's OpenGL, without Mesa's threads, which
    // trip up the leak checker at exit.
    setenv("SDL_RENDER_DRIVER", "software", 1);
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 1);
    setenv("DISPLAY", server().display().c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("SDL_VIDEODRIVER");
  }
  void SetUp() override {
    if (!server().ok()) GTEST_SKIP() << "no X server for the SDL console: " << server().reason();
    backend_ = std::make_unique<ptc::SdlBackend>();
    console_ = std::make_unique<ptc::Console>(*backend_);
  }
  void TearDown() override {
    console_.reset();
    backend_.reset();
  }

  void open(bool fullscreen) {
    if (fullscreen) console_->option("fullscreen output");
    console_->open("Quorvane test window", 640, 480, ptc::program_format(), 0);
  }

  void show(Pixel (*picture)(int, int)) {
    ptc::Surface surface(640, 480, ptc::program_format());
    Pixel* pixels = surface.lock();
    for (int y = 0; y < 480; ++y) {
      for (int x = 0; x < 640; ++x) pixels[y * 640 + x] = picture(x, y);
    }
    surface.unlock();
    surface.copy(*console_);
    console_->update();
  }

  // Lets the window take a new size: the X server resizes it on its own
  // time, and the renderer follows through the events the console pumps.
  void settle(int width, int height) {
    constexpr int presents = 3;
    for (int attempt = 0; attempt < 200; ++attempt) {
      console_->update();
      SDL_Rect viewport{};
      SDL_RenderGetViewport(SDL_GetRenderer(console_->window()), &viewport);
      if (attempt >= presents && viewport.w == width && viewport.h == height) return;
      SDL_Delay(5);
    }
  }

  std::unique_ptr<ptc::SdlBackend> backend_;
  std::unique_ptr<ptc::Console> console_;
};

// Writes what the window showed, for a failed comparison.
void save_window(const std::vector<Pixel>& pixels, int width, int height, const std::string& name) {
  const std::string path = std::string(QUORVANE_BINARY_DIR) + "/" + name + ".png";
  if (write_png_rgb(path, width, height, pixels.data(), width)) ADD_FAILURE() << "window picture written to " << path;
}

// Full screen is checked as SDL reports it: under a bare Xvfb no window
// manager carries out the request, so the X window keeps its size.
TEST_F(SdlConsoleTest, OpensItsTitledResizableWindowWindowedOrFullScreen) {
  struct Case {
    bool fullscreen;
    int width, height;
  };
  for (const Case& c : {Case{false, 640, 480}, Case{true, xvfb_width, xvfb_height}}) {
    SCOPED_TRACE(c.fullscreen ? "full screen" : "windowed");
    console_ = std::make_unique<ptc::Console>(*backend_);
    open(c.fullscreen);
    SDL_Window* window = console_->window();
    ASSERT_NE(window, nullptr);
    EXPECT_STREQ(SDL_GetWindowTitle(window), "Quorvane test window");
    const Uint32 flags = SDL_GetWindowFlags(window);
    EXPECT_EQ((flags & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP, c.fullscreen);
    EXPECT_NE(flags & SDL_WINDOW_RESIZABLE, 0u);
    int width = 0, height = 0;
    SDL_GetWindowSize(window, &width, &height);
    EXPECT_EQ(width, c.width);
    EXPECT_EQ(height, c.height);
    console_->close();
    EXPECT_EQ(console_->window(), nullptr);
  }
}

TEST_F(SdlConsoleTest, ShowsThePictureExactlyAtOneAndAtWholeMultiples) {
  open(false);
  show(probe_pixel);
  for (int multiple : {1, 2}) {
    SDL_SetWindowSize(console_->window(), 640 * multiple, 480 * multiple);
    settle(640 * multiple, 480 * multiple);
    int width = 0, height = 0;
    const std::vector<Pixel> window = backend_->read_window(&width, &height);
    ASSERT_EQ(width, 640 * multiple);
    ASSERT_EQ(height, 480 * multiple);
    int wrong = 0, first_x = -1, first_y = -1;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        if ((window[y * width + x] & 0xFFFFFFu) == probe_pixel(x / multiple, y / multiple)) continue;
        if (wrong++ == 0) first_x = x, first_y = y;
      }
    }
    if (wrong != 0) save_window(window, width, height, "sdl_console_multiple_" + std::to_string(multiple));
    EXPECT_EQ(wrong, 0) << "multiple " << multiple << ": first wrong window pixel at (" << first_x << ", " << first_y
                        << ")";
  }
}

TEST_F(SdlConsoleTest, FillsTheLargest43AreaWithBlackBarsBesideIt) {
  struct Case {
    int window_width, window_height;
    int area_x, area_y, area_width, area_height;
  };
  const Case cases[] = {
      {1000, 600, 100, 0, 800, 600},  // bars left and right, smooth rest over 1.25
      {800, 900, 0, 150, 800, 600},   // bars above and below
      {400, 300, 0, 0, 400, 300},     // smaller than the picture: a smooth shrink
      {1024, 768, 0, 0, 1024, 768},   // 4:3: no bars, the picture reaches the corners
  };
  open(false);
  show(quadrant_pixel);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.window_width) + " x " + std::to_string(c.window_height));
    SDL_SetWindowSize(console_->window(), c.window_width, c.window_height);
    settle(c.window_width, c.window_height);
    int width = 0, height = 0;
    const std::vector<Pixel> window = backend_->read_window(&width, &height);
    ASSERT_EQ(width, c.window_width);
    ASSERT_EQ(height, c.window_height);
    auto at = [&](int x, int y) { return window[y * width + x] & 0xFFFFFFu; };
    bool ok = true;
    // Bars: everything outside the area is black.
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const bool inside = x >= c.area_x && x < c.area_x + c.area_width && y >= c.area_y && y < c.area_y + c.area_height;
        if (!inside && at(x, y) != 0) {
          ADD_FAILURE() << "bar pixel (" << x << ", " << y << "): expected 0, got " << std::hex << at(x, y);
          ok = false;
          y = height;
          break;
        }
      }
    }
    // The area: each quadrant's colour away from the seams, where smoothing blends.
    for (int quadrant = 0; quadrant < 4; ++quadrant) {
      const int x = c.area_x + c.area_width / 4 + (quadrant % 2) * c.area_width / 2;
      const int y = c.area_y + c.area_height / 4 + (quadrant / 2) * c.area_height / 2;
      if (at(x, y) != quadrant_colours[quadrant]) {
        ADD_FAILURE() << "quadrant " << quadrant << " at (" << x << ", " << y << "): expected " << std::hex
                      << quadrant_colours[quadrant] << ", got " << at(x, y);
        ok = false;
      }
    }
    // The area's corners are picture, not bar.
    for (int corner = 0; corner < 4; ++corner) {
      const int x = c.area_x + (corner % 2) * (c.area_width - 1);
      const int y = c.area_y + (corner / 2) * (c.area_height - 1);
      if (at(x, y) == 0) {
        ADD_FAILURE() << "area corner (" << x << ", " << y << ") is black";
        ok = false;
      }
    }
    if (!ok) save_window(window, width, height, "sdl_console_" + std::to_string(c.window_width) + "x" + std::to_string(c.window_height));
  }
}

void push_key(Uint32 type, SDL_Keycode key, Uint16 modifiers, bool repeat) {
  SDL_Event event{};
  event.type = type;
  event.key.keysym.sym = key;
  event.key.keysym.mod = modifiers;
  event.key.repeat = repeat ? 1 : 0;
  event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  SDL_PushEvent(&event);
}

TEST_F(SdlConsoleTest, KeyPressesWaitUntilReadAndTogglesAreNotKeyPresses) {
  open(false);
  EXPECT_FALSE(console_->key());
  push_key(SDL_KEYDOWN, SDLK_ESCAPE, KMOD_NONE, false);
  push_key(SDL_KEYDOWN, SDLK_ESCAPE, KMOD_NONE, true);  // auto-repeat
  EXPECT_TRUE(console_->key());
  EXPECT_TRUE(console_->key()) << "key() must not consume";
  console_->read();
  EXPECT_FALSE(console_->key()) << "the auto-repeat counted as a second press";

  push_key(SDL_KEYDOWN, SDLK_F11, KMOD_NONE, false);
  EXPECT_FALSE(console_->key()) << "F11 counted as a key press";
  EXPECT_NE(SDL_GetWindowFlags(console_->window()) & SDL_WINDOW_FULLSCREEN, 0u) << "F11 did not go full screen";
  push_key(SDL_KEYDOWN, SDLK_LALT, KMOD_LALT, false);
  push_key(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT, false);
  push_key(SDL_KEYUP, SDLK_LALT, KMOD_NONE, false);
  EXPECT_FALSE(console_->key()) << "Alt+Enter counted as a key press";
  EXPECT_EQ(SDL_GetWindowFlags(console_->window()) & SDL_WINDOW_FULLSCREEN, 0u) << "Alt+Enter did not leave full screen";
}

TEST_F(SdlConsoleTest, AQuitRequestHidesTheWindowAndKeepsAKeyWaitingForGood) {
  struct Case {
    const char* name;
    void (*request)();
  };
  const Case cases[] = {
      {"window close button",
       [] {
         SDL_Event event{};
         event.type = SDL_WINDOWEVENT;
         event.window.event = SDL_WINDOWEVENT_CLOSE;
         SDL_PushEvent(&event);
       }},
      {"SDL_QUIT",
       [] {
         SDL_Event event{};
         event.type = SDL_QUIT;
         SDL_PushEvent(&event);
       }},
      {"SIGTERM", [] { raise(SIGTERM); }},
      {"SIGINT", [] { raise(SIGINT); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    console_.reset();
    backend_.reset();
    backend_ = std::make_unique<ptc::SdlBackend>();
    console_ = std::make_unique<ptc::Console>(*backend_);
    open(false);
    show(probe_pixel);
    EXPECT_FALSE(console_->key());
    c.request();
    EXPECT_TRUE(console_->key());
    EXPECT_NE(SDL_GetWindowFlags(console_->window()) & SDL_WINDOW_HIDDEN, 0u) << "the window is still shown";
    for (int i = 0; i < 3; ++i) console_->read();
    EXPECT_TRUE(console_->key()) << "reading cleared the quit request";
    console_->update();  // still harmless
  }
}

}  // namespace
