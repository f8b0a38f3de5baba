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
// The window lost the keyboard (its action is always "none").
Event focus_lost() { return {Event::focus_lost, SDLK_UNKNOWN, KMOD_NONE, false}; }

std::string describe(KeyAction action) {
  switch (action) {
    case KeyAction::none: return "none";
    case KeyAction::press: return "press";
    case KeyAction::toggle_fullscreen: return "toggle";
  }
  return "?";
}

TEST(KeyFilter, EveryKeyIsAPressButRepeatsTogglesAndChordModifiers) {
  struct Case {
    const char* name;
    std::vector<Event> events;
    std::vector<std::string> expected;  // one action per event
  };
  const Case cases[] = {
      {"Escape", {down(SDLK_ESCAPE), up(SDLK_ESCAPE)}, {"press", "none"}},
      {"space with auto-repeat", {down(SDLK_SPACE), repeat(SDLK_SPACE), repeat(SDLK_SPACE), up(SDLK_SPACE)},
       {"press", "none", "none", "none"}},
      {"F11", {down(SDLK_F11), up(SDLK_F11)}, {"toggle", "none"}},
      {"Alt+Enter",
       {down(SDLK_LALT, KMOD_LALT), down(SDLK_RETURN, KMOD_LALT), up(SDLK_RETURN), up(SDLK_LALT)},
       {"none", "toggle", "none", "none"}},
      {"right Alt+keypad Enter", {down(SDLK_RALT, KMOD_RALT), down(SDLK_KP_ENTER, KMOD_RALT), up(SDLK_RALT)},
       {"none", "toggle", "none"}},
      {"Enter alone", {down(SDLK_RETURN)}, {"press"}},
      {"a lone Shift", {down(SDLK_LSHIFT, KMOD_LSHIFT), up(SDLK_LSHIFT)}, {"none", "press"}},
      {"Shift+A", {down(SDLK_LSHIFT, KMOD_LSHIFT), down(SDLK_a, KMOD_LSHIFT), up(SDLK_a), up(SDLK_LSHIFT)},
       {"none", "press", "none", "none"}},
      {"a held Ctrl repeating", {down(SDLK_LCTRL, KMOD_LCTRL), repeat(SDLK_LCTRL), up(SDLK_LCTRL)},
       {"none", "none", "press"}},
      // Alt+Tab: the window manager takes the Tab.
      {"Alt held when the window lost the keyboard", {down(SDLK_LALT, KMOD_LALT), focus_lost(), up(SDLK_LALT)},
       {"none", "none", "none"}},
  };
  for (const Case& c : cases) {
    KeyFilter filter;
    std::vector<std::string> got;
    for (const Event& e : c.events) {
      if (e.kind == Event::focus_lost) filter.focus_lost();
      got.push_back(describe(e.kind == Event::down   ? filter.key_down(e.key, e.modifiers, e.repeat)
                             : e.kind == Event::up ? filter.key_up(e.key)
                                                   : KeyAction::none));
    }
    EXPECT_EQ(got, c.expected) << c.name;
  }
}

}  // namespace
