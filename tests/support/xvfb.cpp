// Xvfb for tests, started with -displayfd so that it chooses a free display
// number and reports it once it accepts connections.
#include "support/xvfb.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace {

constexpr int start_timeout_ms = 10000;

// Reads the display number Xvfb writes once it is ready; empty on failure.
std::string read_display_number(int fd) {
  std::string number;
  int waited_ms = 0;
  while (waited_ms < start_timeout_ms) {
    pollfd ready{fd, POLLIN, 0};
    const int step_ms = 100;
    const int polled = poll(&ready, 1, step_ms);
    if (polled < 0) return {};
    if (polled == 0) {
      waited_ms += step_ms;
      continue;
    }
    char c = 0;
    if (read(fd, &c, 1) != 1) return {};  // Xvfb ended without a number
    if (c == '\n') return number;
    number += c;
  }
  return {};
}

}  // namespace

XvfbServer::XvfbServer(int width, int height) {
  if (access("/usr/bin/Xvfb", X_OK) != 0) {
    reason_ = "Xvfb is not installed (/usr/bin/Xvfb)";
    return;
  }
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) {
    reason_ = "cannot create a pipe for Xvfb";
    return;
  }
  const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
  const std::string fd_text = std::to_string(pipe_fds[1]);
  pid_ = fork();
  if (pid_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);  // a test that dies takes its server along
    close(pipe_fds[0]);
    const int null = open("/dev/null", O_WRONLY);  // Xvfb's chatter stays out of the test log
    if (null >= 0) {
      dup2(null, 1);
      dup2(null, 2);
    }
    execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", fd_text.c_str(), "-screen", "0", screen.c_str(), "-nolisten",
          "tcp", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipe_fds[1]);
  if (pid_ < 0) {
    close(pipe_fds[0]);
    reason_ = "cannot start Xvfb (fork failed)";
    return;
  }
  const std::string number = read_display_number(pipe_fds[0]);
  close(pipe_fds[0]);
  if (number.empty()) {
    reason_ = "Xvfb did not start";
    return;
  }
  display_ = ":" + number;
}

XvfbServer::~XvfbServer() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
}
