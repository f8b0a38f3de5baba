// A private X server for tests that need a real display: Xvfb on a display
// number it picks itself, stopped when the object goes.
#pragma once

#include <sys/types.h>

#include <string>

class XvfbServer {
 public:
  // Starts Xvfb with one screen of the given size; see ok() and reason().
  XvfbServer(int width = 1024, int height = 768);
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  bool ok() const { return !display_.empty(); }
  // Why the server could not start, for a test's skip message.
  const std::string& reason() const { return reason_; }
  // ":N", for DISPLAY.
  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
  std::string reason_;
};
