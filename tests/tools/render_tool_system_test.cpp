// quorvane-render from the outside: its usage errors and help, and the frames
// it writes. (Its statistics are run_stats_test's.)
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/render_tool.h"
#include "support/scratch_directory.h"

namespace {

namespace fs = std::filesystem;

TEST(RenderTool, UsageErrorsAndHelpSayWhatTheyMustAndExitWithTheirStatus) {
  struct Case {
    std::vector<std::string> arguments;
    int status;
    std::vector<const char*> message_parts;  // in standard error; for status 0 in standard output
  };
  const Case cases[] = {
      {{"--fps", "60/0"}, 2, {"not a frame rate"}},
      {{"--every", "2"}, 2, {"--frames"}},
      {{"--at", "1,2"}, 2, {"--frames"}},
      {{"--frames", "x", "--every", "0"}, 2, {"--every"}},
      {{"--frames", "x", "--every", "2", "--at", "3"}, 2, {"--at"}},
      {{"--keys", "1,two"}, 2, {"--keys"}},
      {{"--stats-json"}, 2, {"--stats-json"}},
      {{"--crf", "20"}, 2, {"--video"}},
      {{"--lossless"}, 2, {"--video"}},
      {{"--video", "x.mkv", "--lossless", "--crf", "0"}, 2, {"--crf"}},
      {{"--video", "x.mp4", "--crf", "52"}, 2, {"--crf"}},
      {{"--scale", "0"}, 2, {"--scale"}},
      {{"--scale", "9"}, 2, {"--scale"}},
      {{"--scene", "intro"}, 2, {"--scene"}},
      {{"--help"},
       0,
       {"--fps", "--frames", "--every", "--at", "--keys", "--stats", "--stats-json", "--video", "--wav", "--scale",
        "--scene", "--crf", "--lossless"}},
  };
  for (const Case& c : cases) {
    std::string shown;
    for (const std::string& argument : c.arguments) shown += argument + " ";
    const ChildResult result = render(c.arguments);
    EXPECT_TRUE(result.exited && result.status == c.status) << shown << result.describe();
    for (const char* part : c.message_parts) {
      const std::string& text = c.status == 0 ? result.out : result.err;
      EXPECT_NE(text.find(part), std::string::npos) << shown << ": \"" << part << "\" missing from:\n" << text;
    }
  }
}

TEST(RenderTool, WritesTheChosenFramesAsPngNamedByTheirNumber) {
  const std::pair<std::vector<std::string>, std::set<std::string>> cases[] = {
      {{}, {"000000.png", "000001.png", "000002.png"}},
      {{"--every", "2"}, {"000000.png", "000002.png"}},
      {{"--at", "2,1,99"}, {"000001.png", "000002.png"}},
  };
  for (const auto& [choice, expected] : cases) {
    ScratchDirectory scratch;
    const fs::path folder = scratch.path();
    // A relative directory, from where the user stands; keys waiting from the start end every frame loop at its
    // first test, so the run takes moments whatever the scenes' data asks for.
    std::vector<std::string> arguments = {"--frames", "out/frames", "--keys", keys_at(1, 64)};
    arguments.insert(arguments.end(), choice.begin(), choice.end());
    const ChildResult result = render(arguments, folder);
    ASSERT_TRUE(result.exited && result.status == 0) << result.describe();
    const std::string shown = choice.empty() ? "all" : choice[0];
    EXPECT_EQ(files_in(folder / "out/frames"), expected) << shown;
    const PngPicture first = read_png(folder / "out/frames" / *expected.begin());
    EXPECT_EQ(std::to_string(first.width) + "x" + std::to_string(first.height), "640x480") << shown;
  }
}

TEST(RenderTool, AFrameThatCannotBeWrittenEndsTheRunWithAnError) {
  ScratchDirectory scratch;
  const fs::path frames = fs::path(scratch.path()) / "frames";
  fs::create_directories(frames / "000000.png");  // a directory where the file should go
  const ChildResult result = render({"--frames", frames.string(), "--keys", keys_at(1, 64)});
  EXPECT_TRUE(result.exited && result.status == 1) << result.describe();
  EXPECT_NE(result.err.find("Cannot write frame 0"), std::string::npos) << result.describe();
}

}  // namespace
