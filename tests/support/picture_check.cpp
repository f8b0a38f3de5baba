// Picture comparison for tests.
#include "support/picture_check.h"

#include <cstdio>
#include <filesystem>

#include "tools/common/png_file.h"

::testing::AssertionResult same_picture(const std::string& name, const Pixel* expected, const Pixel* got, int width,
                                        int height) {
  const int count = width * height;
  int differing = 0;
  int first = -1;
  for (int i = 0; i < count; ++i) {
    if (expected[i] == got[i]) continue;
    if (first < 0) first = i;
    ++differing;
  }
  if (differing == 0) return ::testing::AssertionSuccess();

  const std::filesystem::path folder = std::filesystem::path(QUORVANE_BINARY_DIR) / "test-output";
  std::filesystem::create_directories(folder);
  const std::string stem = (folder / name).string();
  write_png_rgb(stem + "-expected.png", width, height, expected, width);
  write_png_rgb(stem + "-got.png", width, height, got, width);
  char where[96];
  std::snprintf(where, sizeof(where), "(%d, %d): expected 0x%06X, got 0x%06X", first % width, first / width,
                expected[first], got[first]);
  return ::testing::AssertionFailure() << name << ": " << differing << " of " << count << " pixels differ, the first at "
                                       << where << "; see " << stem << "-{expected,got}.png";
}
