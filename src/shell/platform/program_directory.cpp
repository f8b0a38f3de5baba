// The executable's own directory, from /proc/self/exe, and the data beside it.
#include "shell/platform/program_directory.h"

#include <system_error>

namespace fs = std::filesystem;

fs::path program_directory() {
  std::error_code error;
  const fs::path executable = fs::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return executable.parent_path();
}

fs::path data_home_for(const fs::path& directory) {
  std::error_code error;
  if (fs::is_directory(directory / "data", error)) return directory;
  const fs::path installed = directory.parent_path() / "share" / "quorvane";
  if (fs::is_directory(installed / "data", error)) return installed;
  return {};
}

bool enter_program_directory() {
  const fs::path directory = program_directory();
  if (directory.empty()) return false;
  const fs::path home = data_home_for(directory);
  std::error_code error;
  fs::current_path(home.empty() ? directory : home, error);
  return !error;
}
