// The entry sequence on the headless console: the order of its scenes and
// pictures, the shared memory it hands the scenes, who touches the keyboard,
// when the music starts and stops, quit requests and repeatable frames.
#include "shell/sequence/sequence.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "shell/audio/music_services.h"
#include "shell/platform/ptc_headless.h"

namespace {

// Keys waiting from the start end every frame loop at its first test, one
// consumed per reading point: the sequence runs through in moments whatever
// the scenes' data asks for.
ptc::HeadlessScript script_ending_every_loop() {
  ptc::HeadlessScript script;
  script.key_frames.assign(64, 0);
  return script;
}

std::string describe(const SequenceEvent& event) {
  switch (event.step) {
    case SequenceStep::present_picture: return "present_picture " + std::string(event.name);
    case SequenceStep::run_scene: return "run_scene " + std::string(event.name);
    case SequenceStep::free_music: return "free_music";
  }
  return "unknown step";
}

struct Step {
  std::string text;  // "step name"
  long key_tests;    // the backend's counters just before the step
  long key_reads;
};

// Records every step, and what the shared record holds when the first
// scene runs.
class StepRecorder : public SequenceObserver {
 public:
  explicit StepRecorder(const ptc::HeadlessBackend& backend) : backend_(backend) {}

  void before(const SequenceEvent& event) override {
    steps.push_back(Step{describe(event), backend_.key_tests(), backend_.key_reads()});
    if (event.step == SequenceStep::run_scene && event.name == "raycast") check_record(event.shared);
  }

  std::vector<std::string> texts() const {
    std::vector<std::string> result;
    for (const Step& step : steps) result.push_back(step.text);
    return result;
  }

  std::vector<Step> steps;
  std::size_t distinct_allocations = 0;
  WordFlashTimes flash_times{};
  int flash_bias = 0;

 private:
  void check_record(const SharedPictures* shared) {
    if (shared == nullptr) return;
    std::set<const void*> distinct = {
        shared->work_a,          shared->work_b,     shared->work_c,     shared->work_d,     shared->work_e,
        shared->portrait_1,      shared->portrait_2, shared->portrait_3, shared->portrait_4, shared->work_j,
        shared->tv_mask_picture, shared->work_l,     shared->work_m,     shared->work_n,     shared->transition_picture,
        shared->zibbet_picture,  shared->ray_table};
    for (const ScreenBuffer* buffer : shared->words_pictures) distinct.insert(buffer);
    for (const ScreenBuffer* buffer : shared->sublim_pictures) distinct.insert(buffer);
    distinct.erase(nullptr);
    distinct_allocations = distinct.size();
    flash_times = shared->word_flash_times;
    flash_bias = shared->word_flash_bias;
  }

  const ptc::HeadlessBackend& backend_;
};

// Whatever keys or quit requests end the scenes' loops.
const std::vector<std::string> expected_steps = {"present_picture loading picture",
                                                 "run_scene raycast",
                                                 "run_scene lattice",
                                                 "run_scene starwarp",
                                                 "run_scene particles",
                                                 "present_picture transition_picture",
                                                 "run_scene blobby",
                                                 "present_picture zibbet_picture",
                                                 "run_scene greets",
                                                 "free_music"};

TEST(Sequence, PlaysTheScenesInTheFixedOrderAndOnlyTheScenesTouchTheKeyboard) {
  ptc::HeadlessBackend backend(script_ending_every_loop());
  StepRecorder recorder(backend);
  DemoOptions options;
  options.music = false;
  EXPECT_EQ(play_demo(backend, options, &recorder), 0);
  EXPECT_EQ(recorder.texts(), expected_steps);
  EXPECT_EQ(backend.opened().fullscreen, fullscreen_flag) << "the full-screen options";
  EXPECT_EQ(backend.opened().title, "Quorvane by Brasklet productions");
  EXPECT_FALSE(backend.is_open()) << "the console was not closed";

  // The scenes receive the 31 allocations and the flash timing.
  EXPECT_EQ(recorder.distinct_allocations, 31u);
  EXPECT_EQ(recorder.flash_times.starwarp, (std::array<int, 2>{50, 100}));
  EXPECT_EQ(recorder.flash_times.particles, (std::array<int, 2>{50, 100}));
  EXPECT_EQ(recorder.flash_times.blobby, (std::array<int, 2>{50, 105}));
  EXPECT_EQ(recorder.flash_bias, 50);

  // Keys pressed during start-up, between the scenes and at the tear-down
  // wait for the scenes' loops.
  std::vector<Step> steps = recorder.steps;
  steps.insert(steps.begin(), Step{"the start-up", 0, 0});
  steps.push_back(Step{"the end", backend.key_tests(), backend.key_reads()});
  for (std::size_t i = 0; i + 1 < steps.size(); ++i) {
    if (steps[i].text.rfind("run_scene ", 0) == 0) continue;  // the scenes' own keyboard use
    EXPECT_EQ(steps[i + 1].key_tests, steps[i].key_tests)
        << "the keyboard was tested between \"" << steps[i].text << "\" and \"" << steps[i + 1].text << "\"";
    EXPECT_EQ(steps[i + 1].key_reads, steps[i].key_reads)
        << "the keyboard was read between \"" << steps[i].text << "\" and \"" << steps[i + 1].text << "\"";
  }
  // One key consumed at each of the scenes' reading points: raycast 1, lattice 2, starwarp 1,
  // particles 2, blobby 1, greets 7 (after each of its six phases and at its end).
  EXPECT_EQ(backend.key_reads(), 14);
}

// Logs the audio library's calls that start and stop the music, among the
// sequence's steps, with the frames presented so far.
class MusicLog final : public AudioLibrary, public SequenceObserver {
 public:
  explicit MusicLog(const ptc::HeadlessBackend& backend) : backend_(backend) {}

  bool BASS_Init(int, std::uint32_t, std::uint32_t, ptc::NativeWindow*) override {
    return log(backend_.is_open() ? "BASS_Init, console open" : "BASS_Init, console not open");
  }
  bool BASS_Start() override { return true; }
  MusicHandle BASS_MusicLoad(bool, const void*, std::uint64_t, std::uint32_t, std::uint32_t) override { return 1; }
  bool BASS_MusicPlayEx(MusicHandle, std::uint32_t, int, bool) override { return log("BASS_MusicPlayEx"); }
  int BASS_ErrorGetCode() override { return BASS_OK; }
  bool BASS_Free() override { return log("BASS_Free"); }

  void before(const SequenceEvent& event) override { log(describe(event)); }

  std::vector<std::string> entries;

 private:
  bool log(const std::string& what) {
    entries.push_back(what + " @" + std::to_string(backend_.frames_presented()));
    return true;
  }
  const ptc::HeadlessBackend& backend_;
};

TEST(Sequence, StartsTheMusicWithTheFirstSceneAndFreesItAtTheTearDownEvenWhenItIsOff) {
  for (const bool music : {true, false}) {
    if (music && !music_flag) continue;  // built without music
    SCOPED_TRACE(music ? "music on" : "music off");
    ptc::HeadlessBackend backend(script_ending_every_loop());
    MusicLog library(backend);
    set_music_services({&library, [&](ptc::NativeWindow*, const char* text) {
                          library.entries.push_back(std::string("box: ") + text);
                        }});
    DemoOptions options;
    options.music = music;
    EXPECT_EQ(play_demo(backend, options, &library), 0);
    set_music_services({});

    // The library's calls (and any box) among the steps around them.
    std::vector<std::string> got;
    for (const std::string& entry : library.entries) {
      if (entry.rfind("BASS_", 0) == 0 || entry.rfind("box", 0) == 0 ||
          entry.rfind("present_picture loading", 0) == 0 || entry.rfind("run_scene raycast", 0) == 0 ||
          entry.rfind("free_music", 0) == 0) {
        got.push_back(entry);
      }
    }
    // Frame 0 is the loading picture; nothing comes between the music's
    // start and the first scene's first frame, frame 1.
    const std::string end = "@" + std::to_string(backend.frames_presented());
    std::vector<std::string> expected = {"present_picture loading picture @0", "run_scene raycast @1",
                                         "free_music " + end, "BASS_Free " + end};
    if (music) {
      expected.insert(expected.begin(), "BASS_Init, console open @0");
      expected.insert(expected.begin() + 2, "BASS_MusicPlayEx @1");
    }
    EXPECT_EQ(got, expected);
  }
}

TEST(Sequence, AQuitRequestEndsEveryRemainingLoopAndReachesTheTearDown) {
  for (std::int64_t quit_frame : {0, 1, 2}) {
    ptc::HeadlessScript script;
    script.quit_frame = quit_frame;
    ptc::HeadlessBackend backend(script);
    StepRecorder recorder(backend);
    DemoOptions options;
    options.music = false;
    EXPECT_EQ(play_demo(backend, options, &recorder), 0);
    EXPECT_EQ(recorder.texts(), expected_steps) << "quit at frame " << quit_frame;
    EXPECT_FALSE(backend.is_open()) << "quit at frame " << quit_frame << ": the console was not closed";
    // The sequence's own three pictures, and the raycast scene's frames before the quit (from
    // frame 1, after the loading picture); every later loop ended at its first test.
    const std::int64_t raycast_frames = quit_frame > 1 ? quit_frame - 1 : 0;
    EXPECT_EQ(backend.frames_presented(), 3 + raycast_frames) << "quit at frame " << quit_frame;
  }
}

// FNV-1a over one frame's pixels.
std::uint64_t frame_hash(const Pixel* pixels) {
  std::uint64_t hash = 14695981039346656037ull;
  for (int i = 0; i < screen_pixels; ++i) {
    hash = (hash ^ pixels[i]) * 1099511628211ull;
  }
  return hash;
}

std::vector<std::uint64_t> run_and_hash_frames() {
  ptc::HeadlessScript script;
  // A key every few frames: every loop shows a few frames, and the run stays short.
  for (std::int64_t frame = 4; frame <= 400; frame += 4) script.key_frames.push_back(frame);
  std::vector<std::uint64_t> hashes;
  ptc::HeadlessBackend backend(script, [&](const ptc::HeadlessFrame& frame) { hashes.push_back(frame_hash(frame.pixels)); });
  DemoOptions options;
  options.music = false;
  play_demo(backend, options);
  return hashes;
}

TEST(Sequence, TwoHeadlessRunsGiveTheSameFrames) {
  const std::vector<std::uint64_t> first = run_and_hash_frames();
  const std::vector<std::uint64_t> second = run_and_hash_frames();
  EXPECT_GE(first.size(), 3u) << "the loading and the two between-scene pictures at least";
  ASSERT_EQ(first.size(), second.size());
  for (std::size_t n = 0; n < first.size(); ++n) EXPECT_EQ(first[n], second[n]) << "frame " << n;
}

}  // namespace
