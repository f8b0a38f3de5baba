// Which keyboard events are key presses.
#include "shell/platform/key_filter.h"

#include <SDL_keyboard.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Event {
  enum { down, up, focus_lost } kind;
  SDL_Keycode key;
  Uint16 modifiers;
  bool repeat;
};

Event down(SDL_Keycode key, Uint16 modifiers = KMOD_NONE) { return {Event::down, key, modifiers, false}; }
Event repeat(SDL_Keycode key) { return {Event::down, key, KMOD_NONE, true}; }
Event up(SDL_Keycode key) { return {Event::up, key, KMOD_NONE, false}; }
const Event focus_lost = {Event::focus_lost, SDLK_UNKNOWN, KMOD_NONE, false};  // the window lost the keyboard

TEST(KeyFilter, EveryKeyIsAPressButRepeatsTogglesAndChordModifiers) {
  struct Case {
    const char* name;
    std::vector<Event> events;
    const char* expected;  // per event: "p" a press, "t" a full-screen toggle, "-" nothing
  };
  const Case cases[] = {
      {"Escape", {down(SDLK_ESCAPE), up(SDLK_ESCAPE)}, "p-"},
      {"space with auto-repeat", {down(SDLK_SPACE), repeat(SDLK_SPACE), repeat(SDLK_SPACE), up(SDLK_SPACE)}, "p---"},
      {"F11", {down(SDLK_F11), up(SDLK_F11)}, "t-"},
      {"Alt+Enter", {down(SDLK_LALT, KMOD_LALT), down(SDLK_RETURN, KMOD_LALT), up(SDLK_RETURN), up(SDLK_LALT)}, "-t--"},
      {"right Alt+keypad Enter", {down(SDLK_RALT, KMOD_RALT), down(SDLK_KP_ENTER, KMOD_RALT), up(SDLK_RALT)}, "-t-"},
      {"Enter alone", {down(SDLK_RETURN)}, "p"},
      {"a lone Shift, released once", {down(SDLK_LSHIFT, KMOD_LSHIFT), up(SDLK_LSHIFT), up(SDLK_LSHIFT)}, "-p-"},
      {"Shift+A", {down(SDLK_LSHIFT, KMOD_LSHIFT), down(SDLK_a, KMOD_LSHIFT), up(SDLK_a), up(SDLK_LSHIFT)}, "-p--"},
      {"a held Ctrl repeating", {down(SDLK_LCTRL, KMOD_LCTRL), repeat(SDLK_LCTRL), up(SDLK_LCTRL)}, "--p"},
      // Alt+Tab: the window manager takes the Tab.
      {"Alt held when the window lost the keyboard", {down(SDLK_LALT, KMOD_LALT), focus_lost, up(SDLK_LALT)}, "---"},
  };
  for (const Case& c : cases) {
    KeyFilter filter;
    std::string got;
    for (const Event& e : c.events) {
      KeyAction action = KeyAction::none;
      if (e.kind == Event::focus_lost) filter.focus_lost();
      if (e.kind == Event::down) action = filter.key_down(e.key, e.modifiers, e.repeat);
      if (e.kind == Event::up) action = filter.key_up(e.key);
      got += action == KeyAction::press ? 'p' : action == KeyAction::toggle_fullscreen ? 't' : '-';
    }
    EXPECT_EQ(got, c.expected) << c.name;
  }
}

}  // namespace
