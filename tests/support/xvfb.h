// A private X server for tests that need a real display: Xvfb on a display
// number it picks itself, stopped when the object goes.
#pragma once

#include <string>

#include "support/child_process.h"

class XvfbServer {
 public:
  explicit XvfbServer(int width = 1024, int height = 768);  // one screen of that size
  ~XvfbServer();

  bool ok() const { return !display_.empty(); }
  const std::string& reason() const { return reason_; }  // why it did not start, for a skip message
  const std::string& display() const { return display_; }  // ":N", for DISPLAY

 private:
  ChildProcess server_;
  std::string display_;
  std::string reason_;
};
