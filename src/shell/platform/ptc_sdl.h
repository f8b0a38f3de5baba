// The console on a real display, through SDL2.
//
// Created by main before the entry sequence and destroyed after it. SDL
// video starts when a console first opens and stops only when the process
// ends, so an error can still be shown in a box after the console closed.
//
// - The 640 x 480 picture fills the largest 4:3 area of the window or screen,
//   crisp (see picture_fit.h); bars beside it are black. A windowed console
//   can be resized; Alt+Enter and F11 switch between window and full screen
//   (full-screen desktop on the display the window is on).
// - Presents with vsync where the renderer allows it, without where not.
// - Key presses follow key_filter.h. The window's close button (and Alt+F4),
//   SIGINT and SIGTERM are quit requests: the window hides at once and a key
//   press stays waiting for good (see KeyQueue), so the sequence runs out.
// - The clock is SDL's performance counter.
// - No display: SDL quietly falls back to its offscreen driver where none
//   exists; unless the user names a driver in SDL_VIDEODRIVER, the offscreen
//   and dummy drivers count as no display and open() throws DynamicError.
#pragma once

#include <cstdint>
#include <vector>

#include "shell/platform/key_filter.h"
#include "shell/platform/ptc_backend.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

namespace ptc {

class SdlBackend : public Backend {
 public:
  // Installs the SIGINT and SIGTERM handlers that turn into quit requests.
  SdlBackend();
  ~SdlBackend() override;
  SdlBackend(const SdlBackend&) = delete;
  SdlBackend& operator=(const SdlBackend&) = delete;

  void open(const OpenRequest& request) override;
  void close() override;
  NativeWindow* native_window() override;
  bool key() override;
  bool read() override;
  void load_picture(const Pixel* pixels) override;
  void update() override;
  double seconds() override;

  // A screenshot: the current picture drawn again as update() draws it, read
  // back from the window without presenting. Sets the output size.
  std::vector<Pixel> read_window(int* width, int* height);

 private:
  void poll_events();
  void request_quit();
  void toggle_fullscreen();
  void cover_display();
  void draw_picture();
  SDL_Texture* enlarged_texture(int whole_multiple);

  KeyQueue keys_;
  KeyFilter key_filter_;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* picture_ = nullptr;   // the console's 640 x 480 picture
  SDL_Texture* enlarged_ = nullptr;  // the picture at a whole multiple, render target
  int enlarged_multiple_ = 0;
  int windowed_width_ = 0, windowed_height_ = 0;  // the size to go back to from full screen
  std::uint64_t clock_origin_;
  double clock_frequency_;
};

}  // namespace ptc
