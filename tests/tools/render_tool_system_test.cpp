// quorvane-render from the outside: its options, usage errors, the frames it
// writes and the statistics it reports.
#include "support/render_tool.h"
#include "support/scratch_directory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Enough keys waiting from the start to end every frame loop at its first
// test: the run takes moments whatever the scenes' data asks for.
const std::string keys_ending_every_loop = keys_at(1, 64);

TEST(RenderTool, UsageErrorsAndHelpSayWhatTheyMustAndExitWithTheirStatus) {
  struct Case {
    std::vector<std::string> arguments;
    int status;
    std::vector<const char*> message_parts;  // in standard error; for status 0 in standard output
  };
  const Case cases[] = {
      {{"--fps", "0"}, 2, {"not a frame rate"}},
      {{"--fps", "60/0"}, 2, {"not a frame rate"}},
      {{"--every", "2"}, 2, {"--frames"}},
      {{"--at", "1,2"}, 2, {"--frames"}},
      {{"--frames", "x", "--every", "0"}, 2, {"--every"}},
      {{"--frames", "x", "--every", "2", "--at", "3"}, 2, {"--at"}},
      {{"--keys", "1,two"}, 2, {"--keys"}},
      {{"--stats-json"}, 2, {"--stats-json"}},
      {{"--colour"}, 2, {"--colour"}},
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
    ASSERT_TRUE(result.exited) << shown << result.describe();
    EXPECT_EQ(result.status, c.status) << shown << result.describe();
    const std::string& text = c.status == 0 ? result.out : result.err;
    for (const char* part : c.message_parts) {
      EXPECT_NE(text.find(part), std::string::npos) << shown << ": \"" << part << "\" missing from:\n" << text;
    }
  }
}

TEST(RenderTool, WritesTheChosenFramesAsPngNamedByTheirNumber) {
  struct Case {
    std::vector<std::string> choice;
    std::set<std::string> expected;
  };
  const Case cases[] = {
      {{}, {"000000.png", "000001.png", "000002.png"}},
      {{"--every", "2"}, {"000000.png", "000002.png"}},
      {{"--at", "2,1,99"}, {"000001.png", "000002.png"}},
  };
  for (const Case& c : cases) {
    ScratchDirectory scratch;
    const fs::path folder = scratch.path();
    // A relative directory, from where the user stands.
    std::vector<std::string> arguments = {"--frames", "out/frames", "--keys", keys_ending_every_loop};
    arguments.insert(arguments.end(), c.choice.begin(), c.choice.end());
    const ChildResult result = render(arguments, folder);
    ASSERT_TRUE(result.exited && result.status == 0) << result.describe();
    const std::string shown = c.choice.empty() ? "all" : c.choice[0];
    EXPECT_EQ(files_in(folder / "out/frames"), c.expected) << shown;
    const PngPicture first = read_png(folder / "out/frames" / *c.expected.begin());
    EXPECT_EQ(first.width, 640) << shown << ": " << *c.expected.begin() << " is not a 640x480 PNG";
    EXPECT_EQ(first.height, 480) << shown;
  }
}

TEST(RenderTool, AFrameThatCannotBeWrittenEndsTheRunWithAnError) {
  ScratchDirectory scratch;
  const fs::path frames = fs::path(scratch.path()) / "frames";
  fs::create_directories(frames / "000000.png");  // a directory where the file should go
  const ChildResult result = render({"--frames", frames.string(), "--keys", keys_ending_every_loop});
  ASSERT_TRUE(result.exited) << result.describe();
  EXPECT_EQ(result.status, 1) << result.describe();
  EXPECT_NE(result.err.find("Cannot write frame 0"), std::string::npos) << result.describe();
}

TEST(RenderTool, StatsReportEverySceneInOrderAsATableAndAsJson) {
  ScratchDirectory scratch;
  const fs::path json_path = fs::path(scratch.path()) / "stats.json";
  const ChildResult result =
      render({"--fps", "60000/1001", "--stats", "--stats-json", json_path.string(), "--keys", keys_ending_every_loop});
  ASSERT_TRUE(result.exited && result.status == 0) << result.describe();

  const std::vector<std::string> scenes = {"raycast", "lattice", "starwarp", "particles", "blobby", "greets"};
  // The table: a heading, one line per scene in order, then the totals.
  std::size_t position = result.out.find("scene");
  ASSERT_NE(position, std::string::npos) << result.out;
  for (const std::string& scene : scenes) {
    const std::size_t found = result.out.find("\n" + scene + " ", position);
    ASSERT_NE(found, std::string::npos) << scene << " missing or out of order in:\n" << result.out;
    position = found + 1;
  }
  EXPECT_NE(result.out.find("\ntotal ", position), std::string::npos) << result.out;

  // Every loop ended at its first test: frames 0, 1 and 2 are the loading and between-scene pictures.
  const std::string json = read_file_bytes(json_path);
  std::vector<std::string> names;
  std::vector<std::string> first_frames;
  for (const std::string& entry : scene_entries(json)) {
    names.push_back(json_value(entry, "name"));
    first_frames.push_back(json_value(entry, "first_frame"));
    EXPECT_EQ(json_value(entry, "frames"), "0") << entry << ": frames shown despite the keys";
    for (const char* time : {"mean_ms", "p50_ms", "p99_ms", "max_ms"}) {
      EXPECT_FALSE(json_value(entry, time).empty()) << time << " missing from " << entry;
    }
  }
  EXPECT_EQ(names, scenes) << json;
  // Without frames, a scene's first frame is the number the next presented frame gets.
  EXPECT_EQ(first_frames, (std::vector<std::string>{"1", "1", "1", "1", "2", "3"})) << json;
  EXPECT_EQ(json.rfind("{\"fps\": 59.94005994005994, \"scenes\": [", 0), 0u) << json;
  // No scene showed a frame, so there is no start-up to report.
  EXPECT_NE(json.find("], \"total_frames\": 3, \"startup_ms\": null}"), std::string::npos) << json;
}

}  // namespace
