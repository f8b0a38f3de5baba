// Bad input: truncated, damaged and oversized files must end in an error code
// or in a whole picture, never in a crash, a hang, or a read out of bounds
// (the sanitizer build checks the last).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "jpeg/jpeg_errors.h"
#include "jpeg/jpeg_file_edit.h"
#include "jpeg/libjpeg_oracle.h"

namespace {

// The decoder's codes run from -200 to -233, with three numbers unused.
bool known_error(int code) { return code <= -200 && code >= -233 && code != -214 && code != -220 && code != -224; }

// A decoding ended well if it delivered the whole picture without error, or
// stopped with a known error code and decode() said so.
::testing::AssertionResult ended_properly(const OurDecoding& got) {
  if (got.error == 0) {
    if (got.last_result == 1 && got.lines == got.picture.height) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no error, but " << got.lines << " of " << got.picture.height
                                         << " lines and last result " << got.last_result;
  }
  if (!known_error(got.error)) return ::testing::AssertionFailure() << "unknown error " << got.error;
  if (got.lines > got.picture.height) return ::testing::AssertionFailure() << "too many lines: " << got.lines;
  if (got.last_result != -1 && got.last_result != jpeg_error_corrupt_data) {
    return ::testing::AssertionFailure() << "error " << got.error << " but decode returned " << got.last_result;
  }
  return ::testing::AssertionSuccess();
}

std::vector<std::pair<std::string, Bytes>> sample_files() {
  struct Sample {
    int components, width, height;
    const char* recipe;
  };
  const Sample samples[] = {{1, 24, 20, ""},
                            {3, 40, 24, "restarts 2"},
                            {3, 30, 20, "2x1 separate"},
                            {3, 20, 30, "quality 5 16-bit"},
                            {3, 28, 22, "1x2 progressive"},
                            {3, 26, 18, "deep restarts 3"}};
  std::vector<std::pair<std::string, Bytes>> files;
  for (const Sample& s : samples) {
    const std::string name = (s.components == 1 ? "grey " : "colour ") + std::string(s.recipe);
    files.emplace_back(name,
                       libjpeg_encode(make_test_picture(s.width, s.height, s.components), encode_options(s.recipe)));
  }
  return files;
}

}  // namespace

TEST(JpegRobustness, TruncatedFilesEndWithoutCrashing) {
  for (const auto& [name, file] : sample_files()) {
    for (std::size_t length = 0; length <= file.size(); ++length) {
      const OurDecoding got = decode_with_ours(Bytes(file.begin(), file.begin() + static_cast<long>(length)));
      ASSERT_TRUE(ended_properly(got)) << name << " cut to " << length << " of " << file.size() << " bytes";
    }
  }
}

TEST(JpegRobustness, DamagedFilesEndWithoutCrashing) {
  std::mt19937 random(20240607);
  for (const auto& [name, file] : sample_files()) {
    for (int trial = 0; trial < 1500; ++trial) {
      Bytes damaged = file;
      const int changes = 1 + static_cast<int>(random() % 4);
      for (int i = 0; i < changes; ++i) {
        const std::size_t at = random() % damaged.size();
        // Half the damage goes to the headers, where the checks are.
        const std::size_t place = trial % 2 == 0 ? at % std::min<std::size_t>(damaged.size(), 700) : at;
        damaged[place] = static_cast<std::uint8_t>(random() % 4 == 0 ? 0xFF : random());
      }
      ASSERT_TRUE(ended_properly(decode_with_ours(damaged))) << name << ", trial " << trial;
    }
  }
}

// A progressive file whose data ends inside a scan: the blocks that scan
// reached are complete, the rest keep what the earlier scans gave them.
TEST(JpegRobustness, ProgressiveFileCutInsideItsLastScanKeepsWhatItHas) {
  const Bytes file = libjpeg_encode(make_test_picture(64, 64, 3), encode_options("progressive"));
  const std::size_t last_scan = find_bytes(file, {0xFF, 0xDA}).back();
  const Bytes cut(file.begin(), file.begin() + static_cast<long>(last_scan + (file.size() - last_scan) * 6 / 10));
  const OurDecoding whole = decode_with_ours(file);
  const OurDecoding got = decode_with_ours(cut);
  ASSERT_EQ(got.error, 0);
  ASSERT_EQ(got.lines, 64);
  // The last scan refines the luma blocks row by row: the first two MCU rows
  // (32 lines) lie well before the cut.
  const std::size_t top = 32 * 64 * 4;
  EXPECT_TRUE(std::equal(whole.picture.pixels.begin(), whole.picture.pixels.begin() + top, got.picture.pixels.begin()))
      << "lines above the cut differ";
  EXPECT_NE(whole.picture.pixels, got.picture.pixels) << "the cut lost nothing: the test cuts in the wrong place";
}

// The largest frame with (almost) no data behind it: the decoder must fail
// fast on the missing data, not grind through 67 million pixels of fill.
TEST(JpegRobustness, LargestFramesWithoutDataFailQuickly) {
  struct Case {
    std::string name;
    int components;
    bool separate_scans;
  };
  for (const Case& c : {Case{"grey", 1, false}, Case{"colour", 3, false}, Case{"colour, separate scans", 3, true}}) {
    JpegParts parts = split_jpeg(
        libjpeg_encode(make_test_picture(16, 16, c.components), encode_options(c.separate_scans ? "separate" : "")));
    JpegSegment& frame = parts.segments[static_cast<std::size_t>(find_segment(parts, 0xC0))];
    frame.payload[1] = frame.payload[3] = 0x20;  // 8192 x 8192
    frame.payload[2] = frame.payload[4] = 0x00;
    parts.tail.resize(std::min<std::size_t>(parts.tail.size(), 40));
    const OurDecoding got = decode_with_ours(join_jpeg(parts));
    EXPECT_EQ(got.picture.width, 8192) << c.name;
    EXPECT_EQ(got.error, jpeg_error_corrupt_data) << c.name;
  }
}

// Inputs found by fuzzing, kept so that every run of the suite decodes them
// (and the fuzzer starts from them). The name says the outcome:
// NAME.picture.jpg delivers a whole picture, NAME.error-228.jpg ends in -228.
TEST(JpegRobustness, KeptFuzzerInputsEndAsTheirNamesSay) {
  const std::filesystem::path folder = std::filesystem::path(QUORVANE_SOURCE_DIR) / "tests/jpeg/regressions";
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    const std::string outcome = entry.path().stem().extension().string();  // ".picture" or ".error-NNN"
    std::ifstream file(entry.path(), std::ios::binary);
    const Bytes jpeg{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    ++files;
    const OurDecoding got = decode_with_ours(jpeg);
    EXPECT_TRUE(ended_properly(got)) << name;
    const int expected = outcome == ".picture" ? 0 : -std::stoi(outcome.substr(outcome.find('-') + 1));
    EXPECT_EQ(got.error, expected) << name << ": expected error " << expected << ", got " << got.error;
  }
  EXPECT_GT(files, 0) << "no inputs in " << folder;
}
