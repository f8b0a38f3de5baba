// The entry sequence on the headless console: the order of its scenes and
// pictures, who touches the keyboard, when the music starts and stops, the
// tear-down after the last scene, a quit request or a console error, and
// repeatable frames.
#include "shell/sequence/sequence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "shell/audio/music_services.h"
#include "shell/platform/ptc.h"
#include "shell/platform/ptc_headless.h"

namespace {

// One run of the demo on a headless backend whose display fails at frame
// `failing_frame`, logging the sequence's steps and the music's start and
// stop, each as "what @frames presented, keyboard reads"; whether each
// between-scene picture is the next frame; and a hash of every frame.
struct LoggedRun final : ptc::HeadlessBackend, AudioLibrary, SequenceObserver {
  explicit LoggedRun(const ptc::HeadlessScript& script, bool music = true, std::int64_t failing_frame = -1)
      : HeadlessBackend(script, [this](const ptc::HeadlessFrame& frame) { check_picture(frame); }),
        failing_frame(failing_frame) {
    set_music_services({this, [this](ptc::NativeWindow*, const char* text) { entries.push_back(text); }});
    DemoOptions options;
    options.music = music;
    EXPECT_EQ(play_demo(*this, options, this), 0);
    set_music_services({});
    EXPECT_FALSE(is_open()) << "the console was not closed";
    // Only the scenes touch the keyboard: keys pressed during the start-up,
    // between the scenes and at the tear-down wait for their loops.
    tests_after.push_back(key_tests());
    for (std::size_t i = 0; i <= entries.size(); ++i) {  // from the start-up or entry i - 1 to the next
      const std::string after = i == 0 ? "the start-up" : entries[i - 1];
      EXPECT_TRUE(after.rfind("run_scene", 0) == 0 || tests_after[i] == tests_after[i + 1])
          << "the keyboard was tested after " << after;
    }
  }

  void update() override {
    if (frames_presented() == failing_frame) throw ptc::DynamicError("the display went away");
    HeadlessBackend::update();
  }

  bool BASS_Init(int, std::uint32_t, std::uint32_t, ptc::NativeWindow*) override {
    return log(is_open() ? "BASS_Init, console open" : "BASS_Init, console not open");
  }
  bool BASS_Start() override { return true; }
  MusicHandle BASS_MusicLoad(bool, const void*, std::uint64_t, std::uint32_t, std::uint32_t) override { return 1; }
  bool BASS_MusicPlayEx(MusicHandle, std::uint32_t, int, bool) override { return log("BASS_MusicPlayEx"); }
  int BASS_ErrorGetCode() override { return BASS_OK; }
  bool BASS_Free() override { return log("BASS_Free"); }

  void before(const SequenceEvent& event) override {
    const char* steps[] = {"present_picture ", "run_scene ", "free_music"};
    log(steps[static_cast<int>(event.step)] + std::string(event.name));
    if (event.step == SequenceStep::run_scene) scenes.push_back(event.name);
    if (event.shared == nullptr) return;
    flash_times = event.shared->word_flash_times;
    if (event.name == "transition_picture") picture = event.shared->transition_picture;
    if (event.name == "zibbet_picture") picture = event.shared->zibbet_picture;
  }
  void check_picture(const ptc::HeadlessFrame& frame) {
    if (picture != nullptr && std::memcmp(frame.pixels, picture->pixels(), screen_bytes) != 0)
      entries.back() += " (another frame shown)";
    picture = nullptr;
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a over the frame's pixels
    for (int i = 0; i < screen_pixels; ++i) hash = (hash ^ frame.pixels[i]) * 1099511628211ull;
    hashes.push_back(hash);
    const auto not_black = [](Pixel p) { return p != 0; };
    lit.push_back(static_cast<int>(std::count_if(frame.pixels, frame.pixels + screen_pixels, not_black)));
  }
  bool log(const std::string& what) {
    entries.push_back(what + " @" + std::to_string(frames_presented()) + " " + std::to_string(key_reads()));
    tests_after.push_back(key_tests());
    return true;
  }

  std::int64_t failing_frame;
  std::vector<std::string> entries;
  std::vector<long> tests_after{0};  // key tests before the start-up and up to each entry
  std::vector<std::uint64_t> hashes;
  std::vector<int> lit;  // the pixels that are not black, in each frame
  std::vector<std::string_view> scenes;
  WordFlashTimes flash_times{};
  const ScreenBuffer* picture = nullptr;  // the between-scene picture the next frame must be
};

// Keys waiting from the start: every frame loop ends at its first test.
const ptc::HeadlessScript keys_ending_every_loop{FrameRate{}, std::vector<std::int64_t>(64, 0), {}};

TEST(Sequence, PlaysTheScenesInOrderWithTheMusicAroundThemAndStopsTheMusicBeforeAnErrorIsReported) {
  if (!music_flag) GTEST_SKIP() << "built without music";
  const LoggedRun run(keys_ending_every_loop);
  // One key consumed at each of the scenes' reading points: raycast 1,
  // lattice 2, starwarp 1, particles 2, blobby 1, greets 7 (after each of its
  // six phases and at its end). Frame 0 is the loading picture; nothing comes
  // between the music's start and the first scene's first frame.
  EXPECT_EQ(run.entries,
            (std::vector<std::string>{"BASS_Init, console open @0 0", "present_picture loading picture @0 0",
                                      "BASS_MusicPlayEx @1 0", "run_scene raycast @1 0", "run_scene lattice @1 1",
                                      "run_scene starwarp @1 3", "run_scene particles @1 4",
                                      "present_picture transition_picture @1 6", "run_scene blobby @2 6",
                                      "present_picture zibbet_picture @2 7", "run_scene greets @3 7",
                                      "free_music @3 14", "BASS_Free @3 14"}));
  EXPECT_EQ(run.scenes, std::vector<std::string_view>(scenes_in_play_order.begin(), scenes_in_play_order.end()));
  EXPECT_EQ(run.opened().fullscreen, fullscreen_flag) << "the full-screen options";
  EXPECT_EQ(run.opened().title, "Quorvane by Brasklet productions");
  for (int lit : run.lit) EXPECT_GT(lit, screen_pixels * 9 / 10) << "the three pictures, as loaded from data/";
  // The words flash in starwarp and particles from scene frame 50 to 100, in blobby to 105.
  EXPECT_EQ(run.flash_times.starwarp, (std::array<int, 2>{50, 100}));
  EXPECT_EQ(run.flash_times.particles, (std::array<int, 2>{50, 100}));
  EXPECT_EQ(run.flash_times.blobby, (std::array<int, 2>{50, 105}));

  ::testing::internal::CaptureStderr();
  const LoggedRun failing(keys_ending_every_loop, true, 2);  // at the second between-scene picture
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("the display went away"), std::string::npos);
  ASSERT_GE(failing.entries.size(), 2u);
  EXPECT_EQ(failing.entries.back(), "BASS_Free @2 7") << "after " << failing.entries[failing.entries.size() - 2];
}

TEST(Sequence, AQuitRequestEndsEveryRemainingLoopAndTheTearDownFreesTheMusicEvenWhenItIsOff) {
  for (std::int64_t quit_frame : {0, 2}) {
    ptc::HeadlessScript script;
    script.quit_frame = quit_frame;
    const LoggedRun run(script, false);
    std::string got;
    for (const std::string& entry : run.entries) got += entry.substr(0, entry.find(" @")) + "; ";
    EXPECT_EQ(got,
              "present_picture loading picture; run_scene raycast; run_scene lattice; run_scene starwarp; "
              "run_scene particles; present_picture transition_picture; run_scene blobby; "
              "present_picture zibbet_picture; run_scene greets; free_music; BASS_Free; ")
        << "quit at frame " << quit_frame;
    // The sequence's own three pictures, and the raycast scene's frames before
    // the quit (from frame 1); every later loop ended at its first test.
    EXPECT_EQ(run.frames_presented(), 3 + (quit_frame > 1 ? quit_frame - 1 : 0)) << "quit at frame " << quit_frame;
  }
}

TEST(Sequence, TwoHeadlessRunsGiveTheSameFrames) {
  ptc::HeadlessScript script;
  // A key every few frames: every loop shows a few frames, and the run stays short.
  for (std::int64_t frame = 4; frame <= 400; frame += 4) script.key_frames.push_back(frame);
  const LoggedRun first(script, false), second(script, false);
  EXPECT_GE(first.hashes.size(), 30u) << "a few frames of every loop";
  EXPECT_TRUE(first.hashes == second.hashes) << "two runs differ";
}

}  // namespace
