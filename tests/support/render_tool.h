// Running quorvane-render from tests, and scratch folders for what it writes.
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/child_process.h"

// quorvane-render's deadline in tests: generous, for the sanitizer build.
constexpr double render_timeout_seconds = 240;

// quorvane-render's options and environment for a test run: no display.
ChildOptions render_options(std::vector<std::string> arguments, const std::string& working_directory = "");

// Runs quorvane-render to its end with `arguments`.
ChildResult render(std::vector<std::string> arguments, const std::string& working_directory = "");

// A fresh empty directory under the build, removed when the test ends.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& name);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The names of the files in `directory`; empty when it does not exist.
std::set<std::string> files_in(const std::filesystem::path& directory);

// A whole file as bytes.
std::string read_file_bytes(const std::filesystem::path& path);
