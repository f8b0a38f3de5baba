// A scratch folder for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::string& path() const { return path_; }
  // Writes `bytes` to `name` under the directory (creating its parents);
  // returns the file's full path.
  std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;

 private:
  std::string path_;
};
