// Bad input: truncated and damaged files must end in an error code or in a
// whole picture, never in a crash, a hang, or a read out of bounds (the
// sanitizer build checks the last); and the inputs the fuzzer found.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "jpeg/jpeg_errors.h"
#include "jpeg/libjpeg_oracle.h"

namespace {

// A decoding ended well if it delivered the whole picture without error, or
// stopped with a known error code (-200 to -233, three numbers unused) and
// decode() said so.
::testing::AssertionResult ended_properly(const OurDecoding& got) {
  if (got.error == 0 && got.last_result == 1 && got.lines == got.picture.height) return ::testing::AssertionSuccess();
  const bool known =
      got.error <= -200 && got.error >= -233 && got.error != -214 && got.error != -220 && got.error != -224;
  if (known && got.lines <= got.picture.height &&
      (got.last_result == -1 || got.last_result == jpeg_error_corrupt_data)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "error " << got.error << ", " << got.lines << " of " << got.picture.height
                                       << " lines, last result " << got.last_result;
}

}  // namespace

// Every file cut at every length, and 1500 times damaged in up to 4 bytes.
TEST(JpegRobustness, TruncatedAndDamagedFilesEndProperly) {
  const std::pair<TestPicture, const char*> samples[] = {
      {make_test_picture(24, 20, 1), ""},
      {make_test_picture(40, 24, 3), "restarts 2"},
      {make_test_picture(30, 20, 3), "2x1 separate"},
      {make_test_picture(20, 30, 3), "quality 5 16-bit"},
      {make_test_picture(28, 22, 3), "1x2 progressive"},
      {make_test_picture(26, 18, 3), "deep restarts 3"},
  };
  std::mt19937 random(20240607);
  for (const auto& [picture, recipe] : samples) {
    const Bytes file = libjpeg_encode(picture, encode_options(recipe));
    const std::string name = std::to_string(picture.components) + " components, " + recipe;
    for (std::size_t length = 0; length <= file.size(); ++length) {
      const OurDecoding got = decode_with_ours(Bytes(file.begin(), file.begin() + static_cast<long>(length)));
      ASSERT_TRUE(ended_properly(got)) << name << " cut to " << length << " of " << file.size() << " bytes";
    }
    for (int trial = 0; trial < 1500; ++trial) {
      Bytes damaged = file;
      for (int changes = 1 + static_cast<int>(random() % 4); changes > 0; --changes) {
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
  const Bytes scan = {0xFF, 0xDA};
  const auto last_scan = std::find_end(file.begin(), file.end(), scan.begin(), scan.end());
  const Bytes cut(file.begin(), last_scan + (file.end() - last_scan) * 6 / 10);
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
    const OurDecoding got = decode_with_ours(Bytes{std::istreambuf_iterator<char>(file), {}});
    ++files;
    EXPECT_TRUE(ended_properly(got)) << name;
    const int expected = outcome == ".picture" ? 0 : -std::stoi(outcome.substr(outcome.find('-') + 1));
    EXPECT_EQ(got.error, expected) << name << ": expected error " << expected << ", got " << got.error;
  }
  EXPECT_GT(files, 0) << "no inputs in " << folder;
}
