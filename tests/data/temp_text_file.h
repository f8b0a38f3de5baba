// Test helper: writes a text file under the test temporary directory, named
// after the running test and the process so parallel runs never collide.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>

inline std::string write_temp_text_file(const std::string& text, const std::string& suffix = "") {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(test->test_suite_name()) + "." + test->name() + suffix;
  for (char& c : name) {
    if (c == '/') c = '_';  // parameterised test names
  }
  const std::string path = ::testing::TempDir() + "quorvane_" + std::to_string(getpid()) + "_" + name + ".txt";
  std::ofstream(path, std::ios::binary) << text;
  return path;
}
