// A repeated quit signal that ends the program, in a child process: the
// signal that ends it would end the test program.
#include "shell/platform/quit_signal.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <cstdio>

namespace {

void record_then_repeat() {
  install_quit_signal_handlers(RepeatedQuitSignal::ends_program);
  raise(SIGINT);
  raise(SIGTERM);  // the other kind is still only recorded
  if (received_quit_signal() == SIGTERM) std::fprintf(stderr, "both recorded\n");
  raise(SIGINT);
  _exit(0);
}

TEST(QuitSignal, WhenAskedASecondSignalOfAKindEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(record_then_repeat(), ::testing::KilledBySignal(SIGINT), "both recorded");
}

}  // namespace
