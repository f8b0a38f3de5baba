// The quit-signal handlers and the record of the last signal.
#include "shell/platform/quit_signal.h"

#include <signal.h>

namespace {

volatile sig_atomic_t received = 0;

// The handlers stay installed while any installation is in force.
struct InstalledHandlers {
  int users = 0;
  struct sigaction previous_interrupt {};
  struct sigaction previous_terminate {};
};
InstalledHandlers installed;

extern "C" void record_quit_signal(int signal_number) { received = signal_number; }

}  // namespace

void install_quit_signal_handlers(RepeatedQuitSignal repeated) {
  received = 0;
  if (installed.users++ > 0) return;
  struct sigaction action {};
  action.sa_handler = record_quit_signal;
  sigemptyset(&action.sa_mask);
  // A signal must not break a file read or a write to another process in
  // progress: the record is read between frames.
  action.sa_flags = SA_RESTART;
  // Back to the default after one, so that a second signal of the kind is
  // not ignored.
  if (repeated == RepeatedQuitSignal::ends_program) action.sa_flags |= SA_RESETHAND;
  sigaction(SIGINT, &action, &installed.previous_interrupt);
  sigaction(SIGTERM, &action, &installed.previous_terminate);
}

void restore_quit_signal_handlers() {
  if (installed.users == 0 || --installed.users > 0) return;
  sigaction(SIGINT, &installed.previous_interrupt, nullptr);
  sigaction(SIGTERM, &installed.previous_terminate, nullptr);
}

int received_quit_signal() { return received; }
