// The graphics console: the demo's one window on the world.
//
// A Console shows 640 x 480 pictures of 0x00RRGGBB pixels, holds the
// keyboard and gives Timers their clock. The program draws into a Surface,
// copies it to the console and updates the console. Everything platform-
// specific lives behind ptc::Backend (ptc_backend.h): SdlBackend opens a real
// window, HeadlessBackend plays on a virtual clock with scripted keys.
//
// Every failing operation throws ptc::DynamicError; only the entry sequence
// catches it.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "shell/pixels/pixel.h"
#include "shell/platform/native_window.h"

namespace ptc {

class Backend;

// A failure of the console layer, with a message written for the user.
class DynamicError : public std::runtime_error {
 public:
  explicit DynamicError(const std::string& message) : std::runtime_error(message) {}
  // Tells the user: standard error always, a message box where a display is up.
  void report() const;
};

// A pixel format: bits per pixel and the four channel masks.
class Format {
 public:
  Format(int bits, std::uint32_t red_mask, std::uint32_t green_mask, std::uint32_t blue_mask,
         std::uint32_t alpha_mask);

  int bits() const { return bits_; }
  bool operator==(const Format& other) const;
  bool operator!=(const Format& other) const { return !(*this == other); }

 private:
  int bits_;
  std::uint32_t red_mask_, green_mask_, blue_mask_, alpha_mask_;
};

// The only format the console shows: 32 bits, 0x00RRGGBB.
Format program_format();

// A read key press; the program only ever discards it.
struct Key {};

class Console {
 public:
  // An unopened console on `backend`, which must outlive it.
  explicit Console(Backend& backend);
  ~Console();
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // Sets an opening option before open(); true if the text is understood:
  // "fullscreen output" (full screen), and "DirectX", "default width N",
  // "default height N" (accepted, no effect: the size comes with open).
  bool option(const std::string& text);

  // Opens the display. Width and height must be 640 x 480, the format the
  // program's; pages 0 means the default and is the only count accepted.
  void open(const std::string& title, int width, int height, const Format& format, int pages);
  // Closes the display; closing a closed console does nothing.
  void close();

  // The native window (owner of message boxes and audio), nullptr when the
  // backend has none.
  NativeWindow* window();

  // True while a key press waits; does not consume it. Called at the top of
  // every frame and at the key rule's reading points.
  bool key();
  // Consumes the waiting key press. Precondition: key() is true.
  Key read();
  // Shows what was last copied to the console.
  void update();

  // For Surface::copy: the picture the next update() shows.
  void load_picture(const Pixel* pixels, int width, int height, const Format& format);
  // For Timer: the console's clock in seconds.
  double clock_seconds();

 private:
  void require_open(const char* operation) const;

  Backend& backend_;
  bool open_ = false;
  bool fullscreen_ = false;
};

// An off-screen picture. Its locked pixels are rows of `width` pixels back
// to back, padded at the end like every pixel buffer (screen_buffer.h), so a
// 640 x 480 surface can stand wherever a ScreenBuffer is read or written.
class Surface {
 public:
  // Only 32-bit formats are stored.
  Surface(int width, int height, const Format& format);
  ~Surface();
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  Pixel* lock();
  void unlock();
  // The whole surface to the console; same size and format, not locked.
  void copy(Console& console);

 private:
  int width_, height_;
  Format format_;
  Pixel* pixels_;
  bool locked_ = false;
};

// A clock in seconds on the console's time source: SDL's performance counter
// on a real display, the frame clock when headless.
class Timer {
 public:
  explicit Timer(Console& console);

  void start();
  // Seconds since start().
  double time();
  // Seconds since the previous delta() (the first: since start()).
  double delta();

 private:
  void require_started(const char* operation) const;

  Console& console_;
  bool started_ = false;
  double start_ = 0.0;
  double previous_ = 0.0;
};

}  // namespace ptc
