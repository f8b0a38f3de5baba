// The real program, build/quorvane: without a display, under Xvfb, and
// asked to stop by a signal.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "shell/program_directory.h"
#include "support/child_process.h"
#include "support/xvfb.h"

namespace {

constexpr double run_timeout_seconds = 60;

// Runs from another directory than the build's: the program finds data/ itself.
// SDL's software renderer on a plain X framebuffer keeps Mesa's threads,
// which trip up the leak checker at exit, out of the process.
ChildOptions demo_options() {
  ChildOptions options;
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
    ChildOptions options = demo_options();
    options.environment["DISPLAY"] = c.dummy_video ? std::nullopt : std::optional<std::string>(server.display());
    if (c.dummy_video) options.environment["SDL_VIDEODRIVER"] = "dummy";
    ChildProcess child(binary_path("quorvane"), options);
    // Signal once the program catches it itself; before that the default action would kill it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (child.running() && !catches_signal(child.pid(), c.signal) && std::chrono::steady_clock::now() < deadline) {
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
