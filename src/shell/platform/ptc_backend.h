// What a platform must provide behind ptc::Console: a display to open, the
// picture to show, the keyboard, and a clock. Two platforms exist: SdlBackend
// (ptc_sdl.h), a real window, and HeadlessBackend (ptc_headless.h), a virtual
// clock with scripted keys. The entry sequence takes the backend as a
// parameter, so both play the same demo.
#pragma once

#include <string>

#include "shell/pixels/pixel.h"
#include "shell/platform/native_window.h"

namespace ptc {

// What Console::open asks for once its options are settled.
struct OpenRequest {
  std::string title;
  int width = 0;
  int height = 0;
  bool fullscreen = false;
};

// Pending key presses and the quit request, as both backends keep them.
// After a quit request a key press stays waiting for good: every frame loop
// left ends at its first test, so the sequence runs out and tears down.
class KeyQueue {
 public:
  void press() { ++pending_; }
  void request_quit() { quit_ = true; }

  bool waiting() const { return quit_ || pending_ > 0; }
  bool quit_requested() const { return quit_; }
  // Consumes one key press; once quit is requested nothing is consumed.
  // False when no key press was waiting.
  bool consume() {
    if (!waiting()) return false;
    if (!quit_) --pending_;
    return true;
  }

 private:
  long pending_ = 0;
  bool quit_ = false;
};

class Backend {
 public:
  virtual ~Backend() = default;

  // Console::open: the display appears. Throws DynamicError on failure.
  virtual void open(const OpenRequest& request) = 0;
  // Console::close: the display goes; harmless when not open.
  virtual void close() = 0;
  // The window a message box or the audio output belongs to; null for none.
  virtual NativeWindow* native_window() = 0;

  // Console::key and Console::read, with KeyQueue's rules; read() is false
  // when no key press was waiting.
  virtual bool key() = 0;
  virtual bool read() = 0;

  // Surface::copy: 640 x 480 pixels become the console's picture.
  virtual void load_picture(const Pixel* pixels) = 0;
  // Console::update: the console's picture is presented.
  virtual void update() = 0;

  // Timer: seconds on the backend's clock.
  virtual double seconds() = 0;
};

}  // namespace ptc
