// cmake --install into a fresh prefix: the programs, the data, the desktop
// entry and its icon land where they belong, and the installed renderer
// finds its data from anywhere and draws the same frames as the build's.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/render_tool.h"

namespace {

namespace fs = std::filesystem;

const std::string keys_ending_early = keys_at(10, 64);  // raycast's frames 1 to 9, then every loop ends at once

class Installed : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // A folder per process: ctest runs each test in a process of its own,
    // and may run them side by side.
    scratch_ = new ScratchFolder("install-" + std::to_string(getpid()));
    prefix_ = scratch_->path() / "prefix";
    ChildOptions options;
    options.arguments = {"--install", QUORVANE_BINARY_DIR, "--prefix", prefix_.string()};
    install_ = new ChildResult(run_child(QUORVANE_CMAKE_COMMAND, options, 120));
  }
  static void TearDownTestSuite() {
    delete install_;
    delete scratch_;
  }
  void SetUp() override {
    ASSERT_TRUE(install_->exited && install_->status == 0) << "cmake --install: " << install_->describe();
  }

  static ScratchFolder* scratch_;
  static fs::path prefix_;
  static ChildResult* install_;
};

ScratchFolder* Installed::scratch_ = nullptr;
fs::path Installed::prefix_;
ChildResult* Installed::install_ = nullptr;

TEST_F(Installed, ProgramsDataAndDesktopEntryLandUnderThePrefix) {
  for (const char* program : {"quorvane", "quorvane-render", "quorvane-jpeg"}) {
    const fs::path path = prefix_ / "bin" / program;
    EXPECT_EQ(access(path.c_str(), X_OK), 0) << path << " is not an installed program";
  }
  int data_files = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(QUORVANE_SOURCE_DIR) / "data")) {
    const fs::path installed = prefix_ / "share/quorvane/data" / entry.path().filename();
    ++data_files;
    ASSERT_TRUE(fs::exists(installed)) << installed << " missing";
    EXPECT_EQ(fs::file_size(installed), fs::file_size(entry.path())) << installed;
  }
  EXPECT_GT(data_files, 30);

  const std::string entry = read_file_bytes(prefix_ / "share/applications/quorvane.desktop");
  const fs::path icon = prefix_ / "share/icons/hicolor/256x256/apps/quorvane.png";
  const std::vector<std::string> lines = {"[Desktop Entry]\n", "\nType=Application\n", "\nName=Quorvane\n",
                                          "\nExec=" + (prefix_ / "bin/quorvane").string() + "\n",
                                          "\nIcon=" + icon.string() + "\n"};
  for (const std::string& line : lines) {
    EXPECT_NE(entry.find(line), std::string::npos) << "\"" << line << "\" missing from the desktop entry:\n" << entry;
  }
  const PngPicture picture = read_png(icon);
  EXPECT_EQ(picture.width, 256) << icon << " is not a 256x256 PNG";
  EXPECT_EQ(picture.height, 256) << icon;
}

TEST_F(Installed, TheInstalledRendererFindsItsDataFromAnywhereAndDrawsTheSameFrames) {
  const fs::path installed_frames = scratch_->path() / "installed-frames";
  const fs::path build_frames = scratch_->path() / "build-frames";
  const std::vector<std::string> run = {"--fps", "10", "--keys", keys_ending_early, "--at", "0,5,9", "--frames"};

  std::vector<std::string> arguments = run;
  arguments.push_back(installed_frames.string());
  ChildOptions options = render_options(arguments, "/");
  const ChildResult installed = run_child((prefix_ / "bin/quorvane-render").string(), options, render_timeout_seconds);
  ASSERT_TRUE(installed.exited && installed.status == 0) << installed.describe();
  for (const char* complaint : {"Cannot", "Error"}) {
    EXPECT_EQ(installed.out.find(complaint), std::string::npos) << "data missing:\n" << installed.out;
  }

  arguments = run;
  arguments.push_back(build_frames.string());
  const ChildResult built = render(arguments);
  ASSERT_TRUE(built.exited && built.status == 0) << built.describe();

  const std::set<std::string> names = {"000000.png", "000005.png", "000009.png"};
  ASSERT_EQ(files_in(installed_frames), names);
  for (const std::string& name : names) {
    EXPECT_TRUE(read_file_bytes(installed_frames / name) == read_file_bytes(build_frames / name)) << name;
  }
}

}  // namespace
