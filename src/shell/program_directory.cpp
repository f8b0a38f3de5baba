// The executable's own directory, from /proc/self/exe.
#include "shell/program_directory.h"

#include <system_error>

std::filesystem::path program_directory() {
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return executable.parent_path();
}

bool enter_program_directory() {
  const std::filesystem::path directory = program_directory();
  if (directory.empty()) return false;
  std::error_code error;
  std::filesystem::current_path(directory, error);
  return !error;
}
