// The console on a real display through SDL2: window, renderer, crisp
// scaling, keyboard, quit requests and the performance-counter clock.
#include "shell/platform/ptc_sdl.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "shell/pixels/screen_buffer.h"
#include "shell/platform/picture_fit.h"
#include "shell/platform/ptc.h"
#include "shell/platform/quit_signal.h"
#include "shell/platform/sdl_window.h"

namespace ptc {

namespace {

// SDL video starts once per process and is never stopped: starting it again
// after stopping it fails now and then on X11 (SDL 2.26), falling back to the
// offscreen driver, and the end of the process closes the display connection.
bool video_running = false;

[[noreturn]] void fail(const std::string& what) { throw DynamicError(what + ": " + SDL_GetError()); }

std::string no_display_message(const std::string& reason) {
  return "No display found: quorvane needs a desktop session (X11 or Wayland) to open its window (" + reason +
         "). Without a display, quorvane-render plays the demo headless and writes its frames as pictures.";
}

bool user_named_video_driver() {
  const char* named = std::getenv("SDL_VIDEODRIVER");
  return named != nullptr && named[0] != '\0';
}

bool draws_to_nowhere(const char* driver) {
  return driver == nullptr || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
}

// With vsync where the renderer allows it; SDL's dummy driver refuses it.
SDL_Renderer* create_renderer(SDL_Window* window) {
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_PRESENTVSYNC);
  if (renderer == nullptr) renderer = SDL_CreateRenderer(window, -1, 0);
  return renderer;
}

void start_video() {
  if (video_running) return;
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");  // SIGINT and SIGTERM are ours
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) throw DynamicError(no_display_message(SDL_GetError()));
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!user_named_video_driver() && draws_to_nowhere(driver)) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);  // no box will try to show on it
    throw DynamicError(no_display_message(std::string("SDL offers only its ") + (driver ? driver : "unknown") +
                                          " video driver, which shows nothing"));
  }
  video_running = true;
}

}  // namespace

SdlBackend::SdlBackend()
    : clock_origin_(SDL_GetPerformanceCounter()),
      clock_frequency_(static_cast<double>(SDL_GetPerformanceFrequency())) {
  // Every SIGINT or SIGTERM becomes a quit request the next time the
  // backend looks at its events; a new console starts without one.
  install_quit_signal_handlers(RepeatedQuitSignal::recorded);
}

SdlBackend::~SdlBackend() {
  close();
  restore_quit_signal_handlers();
}

void SdlBackend::open(const OpenRequest& request) {
  start_video();
  try {
    Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
    windowed_width_ = request.width;
    windowed_height_ = request.height;
    // Full screen is a request to the window manager; without one (a bare X
    // server, a kiosk) nothing carries it out, yet SDL reports the display's
    // size. A window that already covers the display is right either way.
    SDL_Rect area{SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, request.width, request.height};
    SDL_Rect display{};
    if (request.fullscreen) {
      flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
      if (SDL_GetDisplayBounds(0, &display) == 0) area = display;
    }
    window_ = SDL_CreateWindow(request.title.c_str(), area.x, area.y, area.w, area.h, flags);
    if (window_ == nullptr) fail("Cannot open the window");
    renderer_ = create_renderer(window_);
    if (renderer_ == nullptr) fail("Cannot draw in the window");
    picture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, screen_width,
                                 screen_height);
    if (picture_ == nullptr) fail("Cannot create the picture texture");
    ScreenBuffer black;
    load_picture(black.pixels());
    if (request.fullscreen) SDL_ShowCursor(SDL_DISABLE);
  } catch (...) {
    close();
    throw;
  }
  poll_events();  // a quit request that came before the window hides it at once
}

NativeWindow* SdlBackend::native_window() { return native_window_of(window_); }

void SdlBackend::close() {
  if (enlarged_ != nullptr) SDL_DestroyTexture(enlarged_);
  if (picture_ != nullptr) SDL_DestroyTexture(picture_);
  if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
  if (window_ != nullptr) SDL_DestroyWindow(window_);
  enlarged_ = nullptr;
  picture_ = nullptr;
  renderer_ = nullptr;
  window_ = nullptr;
  enlarged_multiple_ = 0;
}

bool SdlBackend::key() {
  poll_events();
  return keys_.waiting();
}

bool SdlBackend::read() {
  poll_events();
  return keys_.consume();
}

void SdlBackend::load_picture(const Pixel* pixels) {
  if (SDL_UpdateTexture(picture_, nullptr, pixels, screen_width * static_cast<int>(sizeof(Pixel))) != 0) {
    fail("Cannot hand the picture to the display");
  }
}

void SdlBackend::update() {
  poll_events();
  if (keys_.quit_requested()) return;  // the window is hidden; nobody sees it
  draw_picture();
  SDL_RenderPresent(renderer_);
}

double SdlBackend::seconds() {
  return static_cast<double>(SDL_GetPerformanceCounter() - clock_origin_) / clock_frequency_;
}

std::vector<Pixel> SdlBackend::read_window(int* width, int* height) {
  poll_events();  // the renderer follows size changes through its events
  draw_picture();
  if (SDL_GetRendererOutputSize(renderer_, width, height) != 0) fail("Cannot measure the window");
  std::vector<Pixel> pixels(static_cast<std::size_t>(*width) * static_cast<std::size_t>(*height));
  if (SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_RGB888, pixels.data(),
                           *width * static_cast<int>(sizeof(Pixel))) != 0) {
    fail("Cannot read the window back");
  }
  return pixels;
}

void SdlBackend::poll_events() {
  if (received_quit_signal() != 0) request_quit();
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) {
    KeyAction action = KeyAction::none;
    switch (event.type) {
      case SDL_QUIT:
        request_quit();
        break;
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) request_quit();
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) key_filter_.focus_lost();
        break;
      case SDL_KEYDOWN:
        action = key_filter_.key_down(event.key.keysym.sym, event.key.keysym.mod, event.key.repeat != 0);
        break;
      case SDL_KEYUP:
        action = key_filter_.key_up(event.key.keysym.sym);
        break;
      default:
        break;
    }
    if (action == KeyAction::press) keys_.press();
    if (action == KeyAction::toggle_fullscreen) toggle_fullscreen();
  }
}

void SdlBackend::request_quit() {
  if (keys_.quit_requested()) return;
  keys_.request_quit();
  if (window_ != nullptr) SDL_HideWindow(window_);
}

// A switch that fails leaves the window as it was: not worth ending the demo.
// The window covers the display before it asks for full screen, and takes
// its windowed size back after, so that the picture is right with or
// without a window manager to carry out the request.
void SdlBackend::toggle_fullscreen() {
  if (window_ == nullptr) return;
  const bool fullscreen = (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) != 0;
  if (!fullscreen) cover_display();
  if (SDL_SetWindowFullscreen(window_, fullscreen ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) return;
  SDL_ShowCursor(fullscreen ? SDL_ENABLE : SDL_DISABLE);
  if (fullscreen) {
    SDL_SetWindowSize(window_, windowed_width_, windowed_height_);
    SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  }
}

void SdlBackend::cover_display() {
  SDL_GetWindowSize(window_, &windowed_width_, &windowed_height_);
  SDL_Rect display{};
  if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window_), &display) != 0) return;
  SDL_SetWindowPosition(window_, display.x, display.y);
  SDL_SetWindowSize(window_, display.w, display.h);
}

// Draws the console's picture into the window's back buffer: bars, then the
// picture enlarged nearest-neighbour to its whole multiple and smoothed only
// over the remaining fraction.
void SdlBackend::draw_picture() {
  int output_width = 0, output_height = 0;
  if (SDL_GetRendererOutputSize(renderer_, &output_width, &output_height) != 0) fail("Cannot measure the window");
  const PictureFit fit = fit_picture(screen_width, screen_height, output_width, output_height);

  SDL_Texture* source = picture_;
  SDL_ScaleMode scale = SDL_ScaleModeNearest;
  if (fit.whole_multiple == 0 || (fit.smooth_rest && SDL_RenderTargetSupported(renderer_) == SDL_FALSE)) {
    scale = SDL_ScaleModeLinear;  // a shrink, or no render targets: one smooth pass
  } else if (fit.smooth_rest) {
    source = enlarged_texture(fit.whole_multiple);
    SDL_SetTextureScaleMode(picture_, SDL_ScaleModeNearest);
    if (SDL_SetRenderTarget(renderer_, source) != 0 || SDL_RenderCopy(renderer_, picture_, nullptr, nullptr) != 0) {
      fail("Cannot enlarge the picture");
    }
    scale = SDL_ScaleModeLinear;
  }

  if (SDL_SetRenderTarget(renderer_, nullptr) != 0) fail("Cannot draw in the window");
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  if (fit.width == 0) return;
  SDL_SetTextureScaleMode(source, scale);
  const SDL_Rect area{fit.x, fit.y, fit.width, fit.height};
  if (SDL_RenderCopy(renderer_, source, nullptr, &area) != 0) fail("Cannot draw the picture");
}

SDL_Texture* SdlBackend::enlarged_texture(int whole_multiple) {
  if (enlarged_ != nullptr && enlarged_multiple_ == whole_multiple) return enlarged_;
  if (enlarged_ != nullptr) SDL_DestroyTexture(enlarged_);
  enlarged_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_TARGET,
                                screen_width * whole_multiple, screen_height * whole_multiple);
  enlarged_multiple_ = enlarged_ != nullptr ? whole_multiple : 0;
  if (enlarged_ == nullptr) fail("Cannot create the enlarged picture");
  return enlarged_;
}

}  // namespace ptc
