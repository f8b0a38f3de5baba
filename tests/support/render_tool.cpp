// quorvane-render as a child process of the tests.
#include "support/render_tool.h"

#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

ChildOptions render_options(std::vector<std::string> arguments, const std::string& working_directory) {
  ChildOptions options;
  options.arguments = std::move(arguments);
  options.working_directory = working_directory;
  options.environment["DISPLAY"] = std::nullopt;  // never needs one
  return options;
}

ChildResult render(std::vector<std::string> arguments, const std::string& working_directory) {
  return run_child(binary_path("quorvane-render"), render_options(std::move(arguments), working_directory),
                   render_timeout_seconds);
}

ScratchFolder::ScratchFolder(const std::string& name)
    : path_(fs::path(QUORVANE_BINARY_DIR) / "test-scratch" / name) {
  fs::remove_all(path_);
  fs::create_directories(path_);
}

ScratchFolder::~ScratchFolder() { fs::remove_all(path_); }

std::set<std::string> files_in(const fs::path& directory) {
  std::set<std::string> names;
  if (!fs::is_directory(directory)) return names;
  for (const auto& entry : fs::directory_iterator(directory)) names.insert(entry.path().filename().string());
  return names;
}

std::string read_file_bytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}
