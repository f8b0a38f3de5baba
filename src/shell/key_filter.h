// Which keyboard events are key presses for the demo.
//
// Every key is a key press, Escape included, with three exceptions: auto-
// repeat is not a new press; Alt+Enter and F11 switch between window and full
// screen; and a modifier (Shift, Ctrl, Alt, GUI) only counts when it is
// released without another key pressed while it was down, so the Alt of
// Alt+Enter does not end the scene that is playing.
#pragma once

#include <SDL_keyboard.h>

enum class KeyAction { none, press, toggle_fullscreen };

class KeyFilter {
 public:
  // A key went down; `repeat` marks the keyboard's auto-repeat.
  KeyAction key_down(SDL_Keycode key, Uint16 modifiers, bool repeat);
  // A key came up.
  KeyAction key_up(SDL_Keycode key);
  // The window lost the keyboard: a modifier held now is not a press later.
  void focus_lost() { lone_modifier_ = false; }

 private:
  bool lone_modifier_ = false;  // a modifier is down and nothing else went down since
};
