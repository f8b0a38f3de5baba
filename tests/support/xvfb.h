// A private X server for tests that need a real display: Xvfb on a display
// number it picks itself, stopped when the object goes.
#pragma once

#include <sys/types.h>

#include <string>

class XvfbServer {
 public:
  XvfbServer(int width = 1024, int height = 768);  // one screen of that size
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  bool ok() const { return !display_.empty(); }
  const std::string& reason() const { return reason_; }  // why it did not start, for a skip message
  const std::string& display() const { return display_; }  // ":N", for DISPLAY

 private:
  pid_t pid_ = -1;
  std::string display_;
  std::string reason_;
};
