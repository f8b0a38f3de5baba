// The real program, build/quorvane, under Xvfb with SDL's dummy audio
// driver: it plays the whole sequence to its end on its own, and key presses
// over and over skip it through every frame loop to the end.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "shell/scene_lengths.h"
#include "support/child_process.h"
#include "support/x11_keys.h"
#include "support/xvfb.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* demo_title = "Quorvane by Brasklet productions";
constexpr double start_up_allowance_seconds = 120;

ChildOptions demo_options(const std::string& display) {
  ChildOptions options;
  options.environment["DISPLAY"] = display;
  options.environment["SDL_AUDIODRIVER"] = "dummy";
  options.environment["SDL_VIDEODRIVER"] = std::nullopt;
  options.environment["WAYLAND_DISPLAY"] = std::nullopt;
  options.working_directory = "/";
  return options;
}

// The committed length of every scene the tests know, together.
double committed_seconds() {
  double seconds = 0.0;
  for (const SceneLength& length : committed_scene_lengths()) seconds += scene_units_to_seconds(length.units);
  return seconds;
}

double seconds_since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

TEST(ProgramSequence, UnderXvfbPlaysTheWholeSequenceAndExits0) {
  XvfbServer server;
  if (!server.ok()) GTEST_SKIP() << "no X server for the demo: " << server.reason();
  const double scenes = committed_seconds();
  ASSERT_GT(scenes, 0.0);
  const Clock::time_point start = Clock::now();
  const ChildResult result =
      run_child(binary_path("quorvane"), demo_options(server.display()), scenes + start_up_allowance_seconds);
  const double played = seconds_since(start);
  ASSERT_TRUE(result.exited) << result.describe();
  EXPECT_EQ(result.status, 0) << result.describe();
  // Scene time follows the clock, so the scenes alone take their committed length.
  EXPECT_GE(played, scenes - 0.5) << "the demo ended before its scenes could have played";
}

TEST(ProgramSequence, UnderXvfbKeysPressedOverAndOverSkipEveryLoopToTheEnd) {
  XvfbServer server;
  if (!server.ok()) GTEST_SKIP() << "no X server for the demo: " << server.reason();
  X11KeyPresser keys(server.display());
  ASSERT_TRUE(keys.ok()) << "cannot connect to " << server.display();
  const double scenes = committed_seconds();
  ASSERT_GT(scenes, 0.0);
  ChildProcess child(binary_path("quorvane"), demo_options(server.display()));
  // Well before the scenes could end on their own.
  const double deadline = scenes / 2;
  const Clock::time_point start = Clock::now();
  int pressed = 0;
  while (child.running() && seconds_since(start) < deadline) {
    if (keys.press_space(demo_title)) ++pressed;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_FALSE(child.running()) << "still playing after " << deadline << " s and " << pressed << " key presses";
  const ChildResult result = child.wait(start_up_allowance_seconds);
  ASSERT_TRUE(result.exited) << result.describe();
  EXPECT_EQ(result.status, 0) << result.describe();
  EXPECT_GT(pressed, 0) << "the demo's window never appeared";
}

}  // namespace
