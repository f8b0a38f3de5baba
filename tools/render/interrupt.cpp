// The interrupt flag and its handlers.
#include "interrupt.h"

#include <signal.h>

namespace {

volatile sig_atomic_t received = 0;

void remember(int signal_number) { received = signal_number; }

}  // namespace

void catch_interrupts() {
  struct sigaction action = {};
  action.sa_handler = remember;
  sigemptyset(&action.sa_mask);
  // Back to the default after one: a second Ctrl+C is not ignored. Writes
  // to ffmpeg go on after the handler; the flag is read between frames.
  action.sa_flags = SA_RESETHAND | SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

int interrupting_signal() { return received; }
