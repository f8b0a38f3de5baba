// quorvane's options: what each sets on top of the build's defaults, and
// where help, version and mistakes are written, with which exit status.
#include "shell/sequence/demo_command_line.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

TEST(DemoCommandLine, EachOptionSetsItsSwitchAndMistakesGiveTheUsageOnStandardErrorAndStatus2) {
  const struct {
    std::vector<const char*> arguments;
    std::optional<int> status;  // none: the demo plays
    bool fullscreen, music;
    std::string out, err;  // the start of standard output and error
  } cases[] = {
      {{}, std::nullopt, fullscreen_flag, music_flag, "", ""},
      {{"--window"}, std::nullopt, false, music_flag, "", ""},
      {{"--fullscreen"}, std::nullopt, true, music_flag, "", ""},
      {{"--mute", "--window"}, std::nullopt, false, false, "", ""},
      {{"--help"}, 0, fullscreen_flag, music_flag, "Quorvane by Brasklet productions", ""},
      {{"--version"}, 0, fullscreen_flag, music_flag, "quorvane " QUORVANE_VERSION "\n", ""},
      {{"--window", "--fullscreen"}, 2, fullscreen_flag, music_flag, "", "ERROR: ExcludesError"},
      {{"--loud"}, 2, fullscreen_flag, music_flag, "", "ERROR: quorvane: The following argument was not expected: --loud"},
      {{"demo.it"}, 2, fullscreen_flag, music_flag, "", "ERROR: quorvane: The following argument was not expected: demo.it"},
  };
  for (const auto& c : cases) {
    std::vector<const char*> argv = {"quorvane"};
    argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
    std::string name = "quorvane";
    for (const char* argument : c.arguments) name += std::string(" ") + argument;
    DemoOptions options;
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const std::optional<int> status = parse_demo_command_line(static_cast<int>(argv.size()), argv.data(), options);
    const std::string out = ::testing::internal::GetCapturedStdout(), err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, c.status) << name;
    EXPECT_TRUE(options.fullscreen == c.fullscreen && options.music == c.music) << name;
    EXPECT_TRUE(out.rfind(c.out, 0) == 0 && out.empty() == c.out.empty()) << name << ": " << out;
    EXPECT_EQ(err.substr(0, c.err.size()), c.err) << name;
    EXPECT_EQ(err.find("Usage: quorvane [OPTIONS]") != std::string::npos, c.status == 2) << name << ": " << err;
  }
}

}  // namespace
