// Which keyboard events are key presses for the demo.
//
// Every key is a key press, Escape included, with three exceptions: auto-
// repeat is not a new press; Alt+Enter and F11 switch between window and full
// screen; and a modifier (Shift, Ctrl, Alt, GUI) only counts when it is
// released without another key pressed while it was down, so the Alt of
// Alt+Enter does not end the scene that is playing.
#pragma once

#include <cstdint>

enum class KeyAction { none, press, toggle_fullscreen };

class KeyFilter {
 public:
  // A key went down: an SDL keycode and SDL modifier bits; `repeat` marks
  // the keyboard's auto-repeat.
  KeyAction key_down(std::int32_t key, std::uint16_t modifiers, bool repeat);
  // A key came up.
  KeyAction key_up(std::int32_t key);
  // The window lost the keyboard: a modifier held now is not a press later.
  void focus_lost() { lone_modifier_ = false; }

 private:
  bool lone_modifier_ = false;  // a modifier is down and nothing else went down since
};
