// The real program, build/quorvane, run from another directory than the
// build's: without a display; under Xvfb with SDL's dummy audio driver it
// plays the whole sequence to its end on its own, key presses over and over
// skip it through every frame loop to the end, and a signal stops it.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "shell/platform/program_directory.h"
#include "support/child_process.h"
#include "support/x11_keys.h"
#include "support/xvfb.h"
#include "tools/render/scene_lengths.h"

namespace {

constexpr double run_timeout_seconds = 60;

using Clock = std::chrono::steady_clock;

constexpr const char* demo_title = "Quorvane by Brasklet productions";
constexpr double start_up_allowance_seconds = 120;

// The program finds data/ itself from "/". SDL's software renderer on a
// plain X framebuffer keeps Mesa's threads, which trip up the leak checker
// at exit, out of the process.
ChildOptions demo_options(const std::string& display = "") {
  ChildOptions options;
  if (!display.empty()) options.environment["DISPLAY"] = display;
  options.environment["SDL_AUDIODRIVER"] = "dummy";
  options.environment["SDL_RENDER_DRIVER"] = "software";
  options.environment["SDL_FRAMEBUFFER_ACCELERATION"] = "0";
  options.environment["SDL_VIDEODRIVER"] = std::nullopt;
  options.environment["WAYLAND_DISPLAY"] = std::nullopt;
  options.working_directory = "/";
  return options;
}

TEST(Program, WithoutADisplaySaysSoAndPointsToTheHeadlessRenderer) {
  ChildOptions options = demo_options();
  options.environment["DISPLAY"] = std::nullopt;
  const ChildResult result = run_child(binary_path("quorvane"), options, run_timeout_seconds);
  ASSERT_TRUE(result.exited) << result.describe();
  EXPECT_EQ(result.status, 0) << result.describe();
  EXPECT_NE(result.err.find("No display"), std::string::npos) << result.describe();
  EXPECT_NE(result.err.find("quorvane-render"), std::string::npos) << result.describe();
}

// Whether the process has its own handler for `signal` (SigCgt in /proc).
bool catches_signal(pid_t pid, int signal) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("SigCgt:", 0) != 0) continue;
    const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
    return (mask >> (signal - 1) & 1) != 0;
  }
  return false;
}

// With real scenes the demo plays for minutes: a termination request ends it.
TEST(Program, UnderXvfbOrOnSdlsDummyDriverATerminationRequestEndsItCleanly) {
  XvfbServer server;
  if (!server.ok()) GTEST_SKIP() << "no X server for the demo: " << server.reason();
  struct Case {
    const char* name;
    int signal;
    bool dummy_video;  // SDL's dummy video driver, named by the user, instead of Xvfb
  };
  for (const Case& c : {Case{"SIGTERM under Xvfb", SIGTERM, false}, Case{"SIGINT under Xvfb", SIGINT, false},
                        Case{"SIGTERM on the dummy driver", SIGTERM, true}}) {
    ChildOptions options = demo_options(server.display());
    if (c.dummy_video) options.environment["DISPLAY"] = std::nullopt;
    if (c.dummy_video) options.environment["SDL_VIDEODRIVER"] = "dummy";
    ChildProcess child(binary_path("quorvane"), options);
    // Signal once the program catches it itself; before that the default action would kill it.
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (child.running() && !catches_signal(child.pid(), c.signal) && Clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    ASSERT_TRUE(child.running()) << c.name << ": the demo ended before it could be asked to; "
                                 << child.wait(1).describe();
    kill(child.pid(), c.signal);
    const ChildResult result = child.wait(run_timeout_seconds);
    ASSERT_TRUE(result.exited) << c.name << ": " << result.describe();
    EXPECT_EQ(result.status, 0) << c.name << ": " << result.describe();
    EXPECT_EQ(result.err.find("Error"), std::string::npos) << c.name << ": " << result.describe();
  }
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
  ChildProcess child(binary_path("quorvane"), demo_options(server.display()));
  // Well before the scenes could end on their own.
  const double deadline = committed_seconds() / 2;
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

TEST(ProgramDirectory, DataIsFoundBesideTheProgramOrInTheInstalledShareFolder) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("quorvane-data-home-" + std::to_string(getpid()));
  fs::remove_all(root);
  struct Case {
    const char* layout;                    // data/ folders to make under root
    std::vector<std::string> data_folders;
    const char* program;                   // the program's directory, under root
    const char* expected;                  // the data home under root; "" for none
  };
  const Case cases[] = {
      {"build tree", {"build/data"}, "build", "build"},
      {"installed", {"prefix/share/quorvane/data"}, "prefix/bin", "prefix/share/quorvane"},
      {"both: beside wins", {"prefix/bin/data", "prefix/share/quorvane/data"}, "prefix/bin", "prefix/bin"},
      {"none", {}, "prefix/bin", ""},
      {"a file named data", {}, "files", ""},
  };
  for (const Case& c : cases) {
    fs::remove_all(root);
    fs::create_directories(root / c.program);
    for (const std::string& folder : c.data_folders) fs::create_directories(root / folder);
    if (std::string(c.program) == "files") std::ofstream(root / "files" / "data") << "not a folder";
    const fs::path home = data_home_for(root / c.program);
    const fs::path expected = std::string(c.expected).empty() ? fs::path() : root / c.expected;
    EXPECT_EQ(home.lexically_normal(), expected.lexically_normal()) << c.layout;
  }
  fs::remove_all(root);
}

}  // namespace
