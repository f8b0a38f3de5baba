// The marker-token discipline: which value each read finds, and that broken
// input ends the reads instead of hanging or changing the targets.
#include "data/config_reader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int untouched = -777;

TEST(ConfigReader, FindsEachValueAfterItsMarker) {
  const std::string a99(99, 'a'), b99(99, 'b');
  const struct {
    const char* what;
    std::string text;
    std::vector<int> expected;  // one read per value; a target not read keeps `untouched`
  } cases[] = {
      {"marker, space, value", "` 7\n", {7}},
      {"values in order", "` 1\n` 2\n` 3\n", {1, 2, 3}},
      {"comment lines of several words between values", "first value here\n` 10\nsecond one\n` -20\n", {10, -20}},
      {"value split from its marker by line breaks", "` \n\n   42\n", {42}},
      {"a marker directly followed by a line break is not a marker", "`\n5 is lost\n` 9\n", {9}},
      {"dashes, line break and marker form one token", "----------\n` 3\n` 4\n", {4}},
      {"a one-word comment line swallows the next line's value", "Duration\n` 30\n` 40\n", {40, untouched}},
      {"a tab does not end a token", "note\t` 5\n` 6\n", {6}},
      {"token and remainder each stop at 99 characters", a99 + b99 + "` 5\n` 6\n", {5, 6}},
      {"the 100th character starts the remainder", a99 + "a" + b99 + "` 5\n` 6\n", {6, untouched}},
      {"the file ends before the last marker", "` 1\n` 2\n", {1, 2, untouched}},
      {"a marker at the very end has no value", "` 1\n` ", {1, untouched}},
      {"an unparsable value stops the file", "` 1\n` abc\n` 3\n", {1, untouched, untouched}},
      {"an int too large stops the file", "` 99999999999\n` 3\n", {untouched, untouched}},
      {"an empty file", "", {untouched}},
  };
  for (const auto& c : cases) {
    std::istringstream in(c.text);
    std::vector<int> values(c.expected.size(), untouched);
    for (int& value : values) config_read_int(in, value);
    EXPECT_EQ(values, c.expected) << c.what;
  }
}

TEST(ConfigReader, ReadsDoublesAndAMissingFileIsReportedAndKeepsTheDefaults) {
  for (const auto& [text, expected] : {std::pair{"A comment of several words\n` 12.5\n", 12.5}, {"` 7\n", 7.0}, {"` x1.5\n", 3.25}}) {
    std::istringstream in(text);
    double value = 3.25;
    EXPECT_EQ(config_read_double(in, value), expected != 3.25) << text;
    EXPECT_EQ(value, expected) << text;
  }
  const std::string path = ::testing::TempDir() + "quorvane_no_such_file.conf";
  ConfigReader reader;
  ::testing::internal::CaptureStdout();
  EXPECT_FALSE(config_open(reader, path.c_str()));
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Cannot find " + path + "\n");
  int count = 12;
  double speed = 0.5;
  EXPECT_FALSE(config_read_int(reader, count) || config_read_double(reader, speed));
  EXPECT_TRUE(count == 12 && speed == 0.5) << count << ", " << speed;
}

}  // namespace
