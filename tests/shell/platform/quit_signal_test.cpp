// The quit-signal record: which signal came, nested installations, the
// handlers put back, and a repeated signal that ends the program.
#include "shell/platform/quit_signal.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <cstdio>

namespace {

void (*current_handler(int signal_number))(int) {
  struct sigaction now {};
  sigaction(signal_number, nullptr, &now);
  return now.sa_handler;
}

TEST(QuitSignal, RecordsTheLastSignalWhileInstalledAndPutsBackTheHandlersItReplaced) {
  const auto interrupt_before = current_handler(SIGINT);
  const auto terminate_before = current_handler(SIGTERM);

  install_quit_signal_handlers(RepeatedQuitSignal::recorded);
  EXPECT_EQ(received_quit_signal(), 0);
  raise(SIGTERM);
  EXPECT_EQ(received_quit_signal(), SIGTERM);
  raise(SIGINT);
  raise(SIGINT);  // still caught: the process goes on
  EXPECT_EQ(received_quit_signal(), SIGINT);

  // A nested installation starts without a signal, and its restore leaves
  // the outer one in force.
  install_quit_signal_handlers(RepeatedQuitSignal::recorded);
  EXPECT_EQ(received_quit_signal(), 0) << "the signal before the second installation was kept";
  restore_quit_signal_handlers();
  raise(SIGTERM);
  EXPECT_EQ(received_quit_signal(), SIGTERM) << "the inner restore took the handlers away";

  restore_quit_signal_handlers();
  EXPECT_EQ(current_handler(SIGINT), interrupt_before) << "SIGINT's handler was not put back";
  EXPECT_EQ(current_handler(SIGTERM), terminate_before) << "SIGTERM's handler was not put back";
}

// In a child process: the signals that end it would end the test program.
void record_then_repeat() {
  install_quit_signal_handlers(RepeatedQuitSignal::ends_program);
  raise(SIGINT);
  if (received_quit_signal() != SIGINT) {
    std::fprintf(stderr, "the first SIGINT was not recorded\n");
    _exit(1);
  }
  raise(SIGTERM);  // the other kind is still only recorded
  if (received_quit_signal() != SIGTERM) {
    std::fprintf(stderr, "a SIGTERM after a SIGINT was not recorded\n");
    _exit(1);
  }
  raise(SIGINT);
  std::fprintf(stderr, "the second SIGINT did not end the program\n");
  _exit(0);
}

TEST(QuitSignal, WhenAskedASecondSignalOfAKindEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(record_then_repeat(), ::testing::KilledBySignal(SIGINT), "");
}

}  // namespace
