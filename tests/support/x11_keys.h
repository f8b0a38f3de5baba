// Key presses for a window on an X server, sent the way a keyboard would
// deliver them (KeyPress then KeyRelease), for tests that drive the real
// program under Xvfb.
#pragma once

#include <string>

struct _XDisplay;

class X11KeyPresser {
 public:
  // Connects to `display` (":N"); see ok().
  explicit X11KeyPresser(const std::string& display);
  ~X11KeyPresser();
  X11KeyPresser(const X11KeyPresser&) = delete;
  X11KeyPresser& operator=(const X11KeyPresser&) = delete;

  bool ok() const { return display_ != nullptr; }
  // Presses and releases the space bar in the top-level window titled
  // `title`; false while no such window exists.
  bool press_space(const std::string& title);

 private:
  _XDisplay* display_ = nullptr;
  unsigned long time_ = 1;  // X server milliseconds: each event later than the last
};
