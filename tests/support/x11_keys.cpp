// Synthetic key events through Xlib's XSendEvent.
#include "support/x11_keys.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace {

// The first window under `parent`, depth first, whose name is `title`; 0 if none.
Window find_window(Display* display, Window parent, const std::string& title) {
  char* name = nullptr;
  if (XFetchName(display, parent, &name) != 0 && name != nullptr) {
    const bool found = title == name;
    XFree(name);
    if (found) return parent;
  }
  Window root = 0;
  Window up = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(display, parent, &root, &up, &children, &count) == 0) return 0;
  Window found = 0;
  for (unsigned int i = 0; i < count && found == 0; ++i) found = find_window(display, children[i], title);
  if (children != nullptr) XFree(children);
  return found;
}

// The program's window may go between finding it and sending to it; Xlib's
// default handler would end the test process for that.
int ignore_x_error(Display*, XErrorEvent*) { return 0; }

}  // namespace

X11KeyPresser::X11KeyPresser(const std::string& display) : display_(XOpenDisplay(display.c_str())) {
  XSetErrorHandler(ignore_x_error);
}

X11KeyPresser::~X11KeyPresser() {
  if (display_ != nullptr) XCloseDisplay(display_);
}

bool X11KeyPresser::press_space(const std::string& title) {
  if (display_ == nullptr) return false;
  const Window window = find_window(display_, DefaultRootWindow(display_), title);
  if (window == 0) return false;
  for (int type : {KeyPress, KeyRelease}) {
    XKeyEvent key{};
    key.type = type;
    key.display = display_;
    key.window = window;
    key.root = DefaultRootWindow(display_);
    key.subwindow = None;
    key.time = time_ += 20;  // apart in time: not taken for the keyboard's auto-repeat
    key.same_screen = True;
    key.keycode = XKeysymToKeycode(display_, XK_space);
    const long mask = type == KeyPress ? KeyPressMask : KeyReleaseMask;
    XSendEvent(display_, window, True, mask, reinterpret_cast<XEvent*>(&key));
  }
  XSync(display_, False);
  return true;
}
