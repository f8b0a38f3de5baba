// quorvane-render from the outside: its options, usage errors, the frames it
// writes and the statistics it reports.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/render_tool.h"

namespace {

namespace fs = std::filesystem;

// Enough keys waiting from the start to end every frame loop at its first
// test: the run takes moments whatever the scenes' data asks for.
std::string keys_ending_every_loop() {
  std::string keys = "1";
  for (int i = 0; i < 63; ++i) keys += ",1";
  return keys;
}

// The objects of the "scenes" array, as text.
std::vector<std::string> scene_entries(const std::string& json) {
  std::vector<std::string> entries;
  for (std::size_t start = json.find("{\"name\""); start != std::string::npos;
       start = json.find("{\"name\"", start + 1)) {
    entries.push_back(json.substr(start, json.find('}', start) - start + 1));
  }
  return entries;
}

// The value of "key" in one flat JSON object: a number, or a string without its quotes.
std::string json_value(const std::string& object, const std::string& key) {
  const std::string label = "\"" + key + "\": ";
  std::size_t start = object.find(label);
  if (start == std::string::npos) return {};
  start += label.size();
  if (object[start] == '"') return object.substr(start + 1, object.find('"', start + 1) - start - 1);
  return object.substr(start, object.find_first_of(",}", start) - start);
}

TEST(RenderTool, UsageErrorsExitWithStatus2AndSayWhatIsWrong) {
  struct Case {
    std::vector<std::string> arguments;
    const char* message_part;
  };
  const Case cases[] = {
      {{"--fps", "0"}, "not a frame rate"},
      {{"--fps", "60/0"}, "not a frame rate"},
      {{"--every", "2"}, "--frames"},
      {{"--at", "1,2"}, "--frames"},
      {{"--frames", "x", "--every", "0"}, "--every"},
      {{"--frames", "x", "--every", "2", "--at", "3"}, "--at"},
      {{"--keys", "1,two"}, "--keys"},
      {{"--stats-json"}, "--stats-json"},
      {{"--colour"}, "--colour"},
      {{"--crf", "20"}, "--video"},
      {{"--lossless"}, "--video"},
      {{"--video", "x.mkv", "--lossless", "--crf", "0"}, "--crf"},
      {{"--video", "x.mp4", "--crf", "52"}, "--crf"},
      {{"--scale", "0"}, "--scale"},
      {{"--scale", "9"}, "--scale"},
      {{"--scene", "intro"}, "--scene"},
  };
  for (const Case& c : cases) {
    std::string shown;
    for (const std::string& argument : c.arguments) shown += argument + " ";
    const ChildResult result = render(c.arguments);
    ASSERT_TRUE(result.exited) << shown << result.describe();
    EXPECT_EQ(result.status, 2) << shown << result.describe();
    EXPECT_NE(result.err.find(c.message_part), std::string::npos) << shown << result.describe();
  }
}

TEST(RenderTool, HelpExplainsEveryOption) {
  const ChildResult result = render({"--help"});
  ASSERT_TRUE(result.exited) << result.describe();
  EXPECT_EQ(result.status, 0);
  for (const char* option : {"--fps", "--frames", "--every", "--at", "--keys", "--stats", "--stats-json", "--video",
                             "--wav", "--scale", "--scene", "--crf", "--lossless"}) {
    EXPECT_NE(result.out.find(option), std::string::npos) << option << " missing from:\n" << result.out;
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
    ScratchFolder scratch("frames");
    // A relative directory, from where the user stands.
    std::vector<std::string> arguments = {"--frames", "out/frames", "--keys", keys_ending_every_loop()};
    arguments.insert(arguments.end(), c.choice.begin(), c.choice.end());
    const ChildResult result = render(arguments, scratch.path().string());
    ASSERT_TRUE(result.exited) << result.describe();
    ASSERT_EQ(result.status, 0) << result.describe();
    EXPECT_EQ(files_in(scratch.path() / "out/frames"), c.expected) << (c.choice.empty() ? "all" : c.choice[0]);
    const fs::path first = scratch.path() / "out/frames" / *c.expected.begin();
    std::ifstream png(first, std::ios::binary);
    char signature[8] = {};
    png.read(signature, 8);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG") << first;
  }
}

TEST(RenderTool, AFrameThatCannotBeWrittenEndsTheRunWithAnError) {
  ScratchFolder scratch("unwritable");
  fs::create_directories(scratch.path() / "frames" / "000000.png");  // a directory where the file should go
  const ChildResult result =
      render({"--frames", (scratch.path() / "frames").string(), "--keys", keys_ending_every_loop()});
  ASSERT_TRUE(result.exited) << result.describe();
  EXPECT_EQ(result.status, 1) << result.describe();
  EXPECT_NE(result.err.find("Cannot write frame 0"), std::string::npos) << result.describe();
}

TEST(RenderTool, StatsReportEverySceneInOrderAsATableAndAsJson) {
  ScratchFolder scratch("stats");
  const fs::path json_path = scratch.path() / "stats.json";
  const ChildResult result = render(
      {"--fps", "60000/1001", "--stats", "--stats-json", json_path.string(), "--keys", keys_ending_every_loop()});
  ASSERT_TRUE(result.exited) << result.describe();
  ASSERT_EQ(result.status, 0) << result.describe();

  const char* const scenes[] = {"raycast", "lattice", "starwarp", "particles", "blobby", "greets"};
  // The table: a heading, one line per scene in order, then the totals.
  std::size_t position = result.out.find("scene");
  ASSERT_NE(position, std::string::npos) << result.out;
  for (const char* scene : scenes) {
    const std::size_t found = result.out.find(std::string("\n") + scene + " ", position);
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
  EXPECT_EQ(names, std::vector<std::string>(std::begin(scenes), std::end(scenes))) << json;
  // Without frames, a scene's first frame is the number the next presented frame gets.
  EXPECT_EQ(first_frames, (std::vector<std::string>{"1", "1", "1", "1", "2", "3"})) << json;
  EXPECT_EQ(json.rfind("{\"fps\": 59.94005994005994, \"scenes\": [", 0), 0u) << json;
  // No scene showed a frame, so there is no start-up to report.
  EXPECT_NE(json.find("], \"total_frames\": 3, \"startup_ms\": null}"), std::string::npos) << json;
}

}  // namespace
