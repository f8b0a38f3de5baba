// Key-press classification of SDL keyboard events.
#include "shell/platform/key_filter.h"

#include <SDL_keyboard.h>

namespace {

bool is_modifier(SDL_Keycode key) {
  switch (key) {
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
    case SDLK_LCTRL:
    case SDLK_RCTRL:
    case SDLK_LALT:
    case SDLK_RALT:
    case SDLK_LGUI:
    case SDLK_RGUI:
      return true;
    default:
      return false;
  }
}

bool is_fullscreen_toggle(SDL_Keycode key, Uint16 modifiers) {
  if (key == SDLK_F11) return true;
  return (key == SDLK_RETURN || key == SDLK_KP_ENTER) && (modifiers & KMOD_ALT) != 0;
}

}  // namespace

KeyAction KeyFilter::key_down(std::int32_t key, std::uint16_t modifiers, bool repeat) {
  if (repeat) return KeyAction::none;
  if (is_modifier(key)) {
    lone_modifier_ = true;
    return KeyAction::none;
  }
  lone_modifier_ = false;  // a chord: the modifier only shaped this key
  return is_fullscreen_toggle(key, modifiers) ? KeyAction::toggle_fullscreen : KeyAction::press;
}

KeyAction KeyFilter::key_up(std::int32_t key) {
  if (!is_modifier(key) || !lone_modifier_) return KeyAction::none;
  lone_modifier_ = false;
  return KeyAction::press;
}
