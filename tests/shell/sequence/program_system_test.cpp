// The real program, build/quorvane, run from another directory than the
// build's: without a display it says so; under Xvfb with SDL's dummy audio
// driver it plays the whole sequence to its end on its own, and a signal
// stops it.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "support/child_process.h"
#include "support/xvfb.h"
#include "tools/render/scene_lengths.h"

namespace {

using Clock = std::chrono::steady_clock;

// The program finds data/ itself from "/". SDL's software renderer on a
// plain X framebuffer keeps Mesa's threads, which trip up the leak checker
// at exit, out of the process. An empty `display`: none.
ChildOptions demo_options(const std::string& display) {
  const std::optional<std::string> none;
  return {{},
          {{"DISPLAY", display.empty() ? none : display},
           {"SDL_AUDIODRIVER", "dummy"},
           {"SDL_RENDER_DRIVER", "software"},
           {"SDL_FRAMEBUFFER_ACCELERATION", "0"},
           {"SDL_VIDEODRIVER", none},
           {"WAYLAND_DISPLAY", none}},
          "/"};
}

TEST(Program, WithoutADisplaySaysSoAndPointsToTheHeadlessRenderer) {
  const ChildResult result = run_child(binary_path("quorvane"), demo_options(""), 60);
  ASSERT_TRUE(result.exited && result.status == 0) << result.describe();
  EXPECT_NE(result.err.find("No display"), std::string::npos) << result.describe();
  EXPECT_NE(result.err.find("quorvane-render"), std::string::npos) << result.describe();
}

// Whether the process has its own handler for `signal` (SigCgt in /proc).
bool catches_signal(pid_t pid, int signal) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1) & 1) != 0;
  }
  return false;
}

// With real scenes the demo plays for minutes: a termination request ends it.
// Under Xvfb it plays in a window and muted, with an audio driver that does
// not exist: a music call would put up an error box nobody closes.
TEST(Program, UnderXvfbOrOnSdlsDummyDriverATerminationRequestEndsItCleanly) {
  XvfbServer server;
  if (!server.ok()) GTEST_SKIP() << "no X server for the demo: " << server.reason();
  for (const bool dummy_video : {false, true}) {  // SDL's dummy video driver, named by the user, or Xvfb
    const char* name = dummy_video ? "on the dummy driver" : "under Xvfb, --window --mute";
    ChildOptions options = demo_options(dummy_video ? "" : server.display());
    if (dummy_video) options.environment["SDL_VIDEODRIVER"] = "dummy";
    if (!dummy_video) options.arguments = {"--window", "--mute"};
    if (!dummy_video) options.environment["SDL_AUDIODRIVER"] = "no-such-driver";
    ChildProcess child(binary_path("quorvane"), options);
    // Signal once the program catches it itself; before that the default action would kill it.
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (child.running() && !catches_signal(child.pid(), SIGTERM) && Clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    if (!dummy_video) std::this_thread::sleep_for(std::chrono::seconds(5));  // into the first scene
    ASSERT_TRUE(child.running()) << name << ": the demo ended before it could be asked to; "
                                 << child.wait(1).describe();
    kill(child.pid(), SIGTERM);
    const ChildResult result = child.wait(60);
    ASSERT_TRUE(result.exited && result.status == 0) << name << ": " << result.describe();
    EXPECT_EQ(result.err.find("Error"), std::string::npos) << name << ": " << result.describe();
  }
}

TEST(ProgramSequence, UnderXvfbPlaysTheWholeSequenceAndExits0) {
  XvfbServer server;
  if (!server.ok()) GTEST_SKIP() << "no X server for the demo: " << server.reason();
  double scenes = 0.0;  // the committed length of every scene the tests know, together
  for (const SceneLength& length : committed_scene_lengths()) scenes += scene_units_to_seconds(length.units);
  ASSERT_GT(scenes, 0.0);
  const Clock::time_point start = Clock::now();
  // Two minutes for the start-up, on top of the scenes.
  const ChildResult result = run_child(binary_path("quorvane"), demo_options(server.display()), scenes + 120);
  const std::chrono::duration<double> played = Clock::now() - start;
  ASSERT_TRUE(result.exited && result.status == 0) << result.describe();
  // Scene time follows the clock, so the scenes alone take their committed length.
  EXPECT_GE(played.count(), scenes - 0.5) << "the demo ended before its scenes could have played";
}

}  // namespace
