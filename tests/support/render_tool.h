// Running quorvane-render from tests, and reading back what it writes.
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/child_process.h"

// quorvane-render's deadline in tests: generous, for the sanitizer build.
constexpr double render_timeout_seconds = 240;

// quorvane-render's options for a test run: no display.
ChildOptions render_options(std::vector<std::string> arguments, const std::string& working_directory = "");
// Runs quorvane-render to its end.
ChildResult render(std::vector<std::string> arguments, const std::string& working_directory = "");

// The names of the files in `directory`; none when it does not exist.
std::set<std::string> files_in(const std::filesystem::path& directory);
std::string read_file_bytes(const std::filesystem::path& path);

// `count` key presses waiting before frame `frame`, as --keys takes them:
// every frame loop from there on ends at its first test.
std::string keys_at(int frame, int count);

// A PNG file as rows of grey or of red, green, blue bytes; width 0 when it
// cannot be read.
struct PngPicture {
  int width = 0, height = 0;
  std::string bytes;
};
PngPicture read_png(const std::filesystem::path& path, bool grey = false);
