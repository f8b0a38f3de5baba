// Xvfb for tests, started with -displayfd: it chooses a free display number
// and writes it, here to its standard output, once it accepts connections.
#include "support/xvfb.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <thread>

XvfbServer::XvfbServer(int width, int height)
    : server_("/usr/bin/Xvfb", {{"-displayfd", "1", "-screen", "0",
                                 std::to_string(width) + "x" + std::to_string(height) + "x24", "-nolisten", "tcp"},
                                {},
                                ""}) {
  std::string out;  // the number and a newline, within 10 s; nothing when Xvfb fails
  for (int i = 0; (out = server_.out_so_far()).find('\n') == std::string::npos && server_.running() && i < 2000; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  if (out.find('\n') != std::string::npos) display_ = ":" + out.substr(0, out.find('\n'));
  if (display_.empty())
    reason_ = access("/usr/bin/Xvfb", X_OK) != 0 ? "Xvfb is not installed (/usr/bin/Xvfb)" : "Xvfb did not start";
}

// SIGTERM, not the child's SIGKILL: Xvfb then removes its socket and lock file.
XvfbServer::~XvfbServer() {
  if (server_.pid() <= 0) return;
  kill(server_.pid(), SIGTERM);
  server_.wait(10);
}
