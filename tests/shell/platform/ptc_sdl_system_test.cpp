// The SDL console in a real window, on a private Xvfb server: geometry and
// scaling of the picture read back from the window, full screen, key
// presses, and quit requests from the window and from signals.
#include "shell/platform/ptc_sdl.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "shell/pixels/screen_buffer.h"
#include "shell/platform/ptc.h"
#include "shell/platform/sdl_window.h"
#include "support/xvfb.h"
#include "tools/common/png_file.h"

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
      SDL_RenderGetViewport(SDL_GetRenderer(ptc::sdl_window_of(console_->window())), &viewport);
      if (attempt >= presents && viewport.w == width && viewport.h == height) return;
      SDL_Delay(5);
    }
  }

  std::unique_ptr<ptc::SdlBackend> backend_;
  std::unique_ptr<ptc::Console> console_;
};

std::string hex(Pixel pixel) {
  char text[16];
  std::snprintf(text, sizeof text, "%06x", static_cast<unsigned>(pixel));
  return text;
}

// Writes what the window showed, for a failed comparison.
void save_window(const std::vector<Pixel>& pixels, int width, int height, const std::string& name) {
  const std::string path = std::string(QUORVANE_BINARY_DIR) + "/" + name + ".png";
  if (write_png_rgb(path, width, height, pixels.data(), width)) ADD_FAILURE() << "window picture written to " << path;
}

// Whole multiples of the picture show it exactly, every window pixel from
// its picture pixel; other sizes show it smoothed in the largest 4:3 area,
// with black bars beside it.
TEST_F(SdlConsoleTest, ShowsThePictureInTheLargest43AreaExactAtWholeMultiples) {
  struct Case {
    int window_width, window_height;
    int area_x, area_y, area_width, area_height;
    bool exact;
  };
  const Case cases[] = {
      {640, 480, 0, 0, 640, 480, true},     {1280, 960, 0, 0, 1280, 960, true},
      {1000, 600, 100, 0, 800, 600, false},  // bars left and right, smooth rest over 1.25
      {800, 900, 0, 150, 800, 600, false},   // bars above and below
      {400, 300, 0, 0, 400, 300, false},     // smaller than the picture: a smooth shrink
      {1024, 768, 0, 0, 1024, 768, false},   // 4:3: no bars, the picture reaches the corners
  };
  open(false);
  for (const Case& c : cases) {
    const std::string size = std::to_string(c.window_width) + "x" + std::to_string(c.window_height);
    SCOPED_TRACE(size);
    show(c.exact ? probe_pixel : quadrant_pixel);
    SDL_SetWindowSize(ptc::sdl_window_of(console_->window()), c.window_width, c.window_height);
    settle(c.window_width, c.window_height);
    int width = 0, height = 0;
    const std::vector<Pixel> window = backend_->read_window(&width, &height);
    ASSERT_EQ(width, c.window_width);
    ASSERT_EQ(height, c.window_height);
    auto at = [&](int x, int y) { return window[y * width + x] & 0xFFFFFFu; };
    const int multiple = c.window_width / 640;
    std::vector<std::string> wrong;
    for (int y = 0; y < height && wrong.empty(); ++y) {
      for (int x = 0; x < width && wrong.empty(); ++x) {
        const bool inside =
            x >= c.area_x && x < c.area_x + c.area_width && y >= c.area_y && y < c.area_y + c.area_height;
        const Pixel expected = !inside ? 0 : c.exact ? probe_pixel(x / multiple, y / multiple) : at(x, y);
        if (at(x, y) != expected) {
          wrong.push_back("pixel (" + std::to_string(x) + ", " + std::to_string(y) + "): expected " + hex(expected) +
                          ", got " + hex(at(x, y)));
        }
      }
    }
    for (int k = 0; k < 4 && !c.exact; ++k) {
      // Each quadrant's colour away from the seams, where smoothing blends;
      // the area's corners are picture, not bar.
      const int x = c.area_x + c.area_width / 4 + (k % 2) * c.area_width / 2;
      const int y = c.area_y + c.area_height / 4 + (k / 2) * c.area_height / 2;
      if (at(x, y) != quadrant_colours[k]) {
        wrong.push_back("quadrant " + std::to_string(k) + ": expected " + hex(quadrant_colours[k]) + ", got " +
                        hex(at(x, y)));
      }
      if (at(c.area_x + (k % 2) * (c.area_width - 1), c.area_y + (k / 2) * (c.area_height - 1)) == 0) {
        wrong.push_back("area corner " + std::to_string(k) + " is black");
      }
    }
    if (!wrong.empty()) save_window(window, width, height, "sdl_console_" + size);
    EXPECT_TRUE(wrong.empty()) << "first wrong: " << wrong.front();
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

void push_event(Uint32 type, Uint8 window_event = 0) {
  SDL_Event event{};
  event.type = type;
  event.window.event = window_event;
  SDL_PushEvent(&event);
}

bool fullscreen(SDL_Window* window) { return (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0; }

// Full screen is checked as SDL reports it: under a bare Xvfb no window
// manager carries out the request, so the X window keeps its size.
TEST_F(SdlConsoleTest, OpensItsTitledResizableWindowAndKeysWaitButTogglesAreNoPresses) {
  for (const bool full : {true, false}) {
    SCOPED_TRACE(full ? "full screen" : "windowed");
    console_ = std::make_unique<ptc::Console>(*backend_);
    open(full);
    SDL_Window* window = ptc::sdl_window_of(console_->window());
    ASSERT_NE(window, nullptr);
    EXPECT_STREQ(SDL_GetWindowTitle(window), "Quorvane test window");
    const Uint32 flags = SDL_GetWindowFlags(window);
    EXPECT_EQ((flags & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP, full);
    EXPECT_NE(flags & SDL_WINDOW_RESIZABLE, 0u);
    int width = 0, height = 0;
    SDL_GetWindowSize(window, &width, &height);
    EXPECT_EQ(width, full ? xvfb_width : 640);
    EXPECT_EQ(height, full ? xvfb_height : 480);
    if (!full) break;  // the windowed console stays open for the keys
    console_->close();
    EXPECT_EQ(console_->window(), nullptr);
  }

  EXPECT_FALSE(console_->key());
  push_key(SDL_KEYDOWN, SDLK_ESCAPE, KMOD_NONE, false);
  push_key(SDL_KEYDOWN, SDLK_ESCAPE, KMOD_NONE, true);  // auto-repeat
  EXPECT_TRUE(console_->key());
  EXPECT_TRUE(console_->key()) << "key() must not consume";
  console_->read();
  EXPECT_FALSE(console_->key()) << "the auto-repeat counted as a second press";
  push_key(SDL_KEYDOWN, SDLK_F11, KMOD_NONE, false);
  EXPECT_FALSE(console_->key()) << "F11 counted as a key press";
  EXPECT_TRUE(fullscreen(ptc::sdl_window_of(console_->window()))) << "F11 did not go full screen";
  push_key(SDL_KEYDOWN, SDLK_LALT, KMOD_LALT, false);
  push_key(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT, false);
  push_key(SDL_KEYUP, SDLK_LALT, KMOD_NONE, false);
  EXPECT_FALSE(console_->key()) << "Alt+Enter counted as a key press";
  EXPECT_FALSE(fullscreen(ptc::sdl_window_of(console_->window()))) << "Alt+Enter did not leave full screen";
}

TEST_F(SdlConsoleTest, AQuitRequestHidesTheWindowAndKeepsAKeyWaitingForGood) {
  struct Case {
    const char* name;
    void (*request)();
  };
  const Case cases[] = {
      {"window close button", [] { push_event(SDL_WINDOWEVENT, SDL_WINDOWEVENT_CLOSE); }},
      {"SDL_QUIT", [] { push_event(SDL_QUIT); }},
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
    EXPECT_NE(SDL_GetWindowFlags(ptc::sdl_window_of(console_->window())) & SDL_WINDOW_HIDDEN, 0u) << "the window is still shown";
    for (int i = 0; i < 3; ++i) console_->read();
    EXPECT_TRUE(console_->key()) << "reading cleared the quit request";
    console_->update();  // still harmless
  }
}

}  // namespace
