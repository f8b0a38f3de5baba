// The marker-token discipline (doubles take the same path): which value each
// read finds, that broken input ends the reads, leaving the targets, and a missing file.
#include "data/config_reader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

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
    for (std::size_t i = 0; i < values.size(); ++i) {
      EXPECT_EQ(config_read_int(in, values[i]), c.expected[i] != untouched) << c.what << ": what read " << i << " says";
    }
    EXPECT_EQ(values, c.expected) << c.what;
  }
  ConfigReader missing;
  ::testing::internal::CaptureStdout();
  EXPECT_FALSE(config_open(missing, "no/such.conf"));
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Cannot find no/such.conf\n");
}
