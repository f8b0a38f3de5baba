// Xvfb for tests, started with -displayfd: it chooses a free display number
// and writes it once it accepts connections.
#include "support/xvfb.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

XvfbServer::XvfbServer(int width, int height) {
  int pipe_fds[2];
  if (access("/usr/bin/Xvfb", X_OK) != 0 || pipe(pipe_fds) != 0) {
    reason_ = "Xvfb is not installed (/usr/bin/Xvfb)";
    return;
  }
  const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
  const std::string fd_text = std::to_string(pipe_fds[1]);
  pid_ = fork();
  if (pid_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);  // a test that dies takes its server along
    const int null = open("/dev/null", O_WRONLY);  // Xvfb's chatter stays out of the test log
    dup2(null, 1);
    dup2(null, 2);
    execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", fd_text.c_str(), "-screen", "0", screen.c_str(), "-nolisten",
          "tcp", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipe_fds[1]);
  // The number and a newline, within 10 s; nothing when Xvfb fails.
  std::string number;
  pollfd ready{pipe_fds[0], POLLIN, 0};
  for (char c = 0; pid_ > 0 && poll(&ready, 1, 10000) == 1 && read(pipe_fds[0], &c, 1) == 1 && c != '\n';) number += c;
  close(pipe_fds[0]);
  if (number.empty()) reason_ = "Xvfb did not start";
  if (!number.empty()) display_ = ":" + number;
}

XvfbServer::~XvfbServer() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
}
