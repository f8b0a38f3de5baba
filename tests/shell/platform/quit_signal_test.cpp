// The quit-signal record: which signal came, nested installations and the
// handlers put back. (A repeated signal that ends the program: the system test.)
#include "shell/platform/quit_signal.h"

#include <gtest/gtest.h>

#include <signal.h>

namespace {

void (*current_handler(int signal_number))(int) {
  struct sigaction now {};
  sigaction(signal_number, nullptr, &now);
  return now.sa_handler;
}

TEST(QuitSignal, RecordsTheLastSignalWhileInstalledAndPutsBackTheHandlersItReplaced) {
  const auto interrupt_before = current_handler(SIGINT), terminate_before = current_handler(SIGTERM);

  install_quit_signal_handlers(RepeatedQuitSignal::recorded);
  EXPECT_EQ(received_quit_signal(), 0);
  raise(SIGTERM);
  EXPECT_EQ(received_quit_signal(), SIGTERM);
  raise(SIGINT);
  raise(SIGINT);  // still caught: the process goes on
  EXPECT_EQ(received_quit_signal(), SIGINT);

  // A nested installation starts without a signal; its restore leaves the outer one in force.
  install_quit_signal_handlers(RepeatedQuitSignal::recorded);
  EXPECT_EQ(received_quit_signal(), 0) << "the signal before the second installation was kept";
  restore_quit_signal_handlers();
  raise(SIGTERM);
  EXPECT_EQ(received_quit_signal(), SIGTERM) << "the inner restore took the handlers away";

  restore_quit_signal_handlers();
  EXPECT_EQ(current_handler(SIGINT), interrupt_before) << "SIGINT's handler was not put back";
  EXPECT_EQ(current_handler(SIGTERM), terminate_before) << "SIGTERM's handler was not put back";
}

}  // namespace
