// The marker-token discipline: which value each read finds, and that broken
// input ends the reads instead of hanging or changing the targets.
#include "data/config_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int untouched = -777;

// Reads `reads` ints in a row from `text`; an unread target keeps `untouched`.
std::vector<int> read_ints(const std::string& text, int reads) {
  std::istringstream in(text);
  std::vector<int> values(reads, untouched);
  for (int& value : values) config_read_int(in, value);
  return values;
}

struct IntCase {
  const char* what;
  std::string text;
  std::vector<int> expected;
};

TEST(ConfigReader, FindsEachValueAfterItsMarker) {
  const std::string a99(99, 'a');
  const std::string b99(99, 'b');
  const IntCase cases[] = {
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
  for (const IntCase& c : cases) {
    EXPECT_EQ(read_ints(c.text, static_cast<int>(c.expected.size())), c.expected) << c.what;
  }
}

TEST(ConfigReader, ReadsDoublesAndChangesTheTargetOnlyWhenOneParses) {
  const struct {
    const char* text;
    bool found;
    double expected;
  } cases[] = {{"A comment of several words\n` 12.5\n", true, 12.5}, {"` 7\n", true, 7.0}, {"` x1.5\n", false, 3.25}};
  for (const auto& c : cases) {
    std::istringstream in(c.text);
    double value = 3.25;
    EXPECT_EQ(config_read_double(in, value), c.found) << c.text;
    EXPECT_EQ(value, c.expected) << c.text;
  }
}

TEST(ConfigReader, MissingFileIsReportedAndKeepsTheDefaults) {
  const std::string path = ::testing::TempDir() + "quorvane_no_such_file.conf";
  ConfigReader reader;
  ::testing::internal::CaptureStdout();
  EXPECT_FALSE(config_open(reader, path.c_str()));
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Cannot find " + path + "\n");
  int count = 12;
  double speed = 0.5;
  EXPECT_FALSE(config_read_int(reader, count));
  EXPECT_FALSE(config_read_double(reader, speed));
  EXPECT_EQ(count, 12);
  EXPECT_EQ(speed, 0.5);
  config_close(reader);
}

// Random text over an alphabet rich in markers, spaces, line breaks and
// digits: every read ends, and no read finds more values than markers.
TEST(ConfigReader, GarbageNeverHangsAndFindsNoMoreValuesThanMarkers) {
  std::mt19937 random(20240611);
  const char symbols[] = "`` \n\t\r-+.e0123456789abc\0\xff";
  const std::string alphabet(symbols, sizeof symbols - 1);
  for (int file = 0; file < 500; ++file) {
    std::string text(random() % 3000, ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    std::istringstream in(text);
    int found = 0;
    for (int read = 0; read < 50; ++read) {
      int whole = 0;
      double real = 0.0;
      found += config_read_int(in, whole) ? 1 : 0;
      found += config_read_double(in, real) ? 1 : 0;
    }
    const auto markers = std::count(text.begin(), text.end(), '`');
    EXPECT_LE(found, markers) << "file " << file;
  }
}

}  // namespace
