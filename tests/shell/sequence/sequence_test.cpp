// The entry sequence on the headless console: the order of its steps, the
// shared memory it hands the scenes, who touches the keyboard, quit requests
// and repeatable frames.
#include "shell/sequence/sequence.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

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

struct Step {
  std::string text;  // "step name"
  long key_tests;    // the backend's counters just before the step
  long key_reads;
};

// Records every step, and what the shared record holds when the first
// scene initialises.
class StepRecorder : public SequenceObserver {
 public:
  explicit StepRecorder(const ptc::HeadlessBackend& backend) : backend_(backend) {}

  void before(const SequenceEvent& event) override {
    std::string text = sequence_step_name(event.step);
    if (!event.name.empty()) text += " " + std::string(event.name);
    steps.push_back(Step{text, backend_.key_tests(), backend_.key_reads()});
    if (event.step == SequenceStep::init_scene && event.name == "raycast") check_record(*event.shared);
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
  void check_record(const SharedPictures& shared) {
    std::set<const void*> distinct = {
        shared.work_a,     shared.work_b,          shared.work_c, shared.work_d, shared.work_e,
        shared.portrait_1, shared.portrait_2,      shared.portrait_3, shared.portrait_4, shared.work_j,
        shared.tv_mask_picture, shared.work_l,     shared.work_m, shared.work_n, shared.transition_picture,
        shared.zibbet_picture, shared.ray_table};
    for (const ScreenBuffer* buffer : shared.words_pictures) distinct.insert(buffer);
    for (const ScreenBuffer* buffer : shared.sublim_pictures) distinct.insert(buffer);
    distinct.erase(nullptr);
    distinct_allocations = distinct.size();
    flash_times = shared.word_flash_times;
    flash_bias = shared.word_flash_bias;
  }

  const ptc::HeadlessBackend& backend_;
};

std::vector<std::string> expected_steps(bool music) {
  std::vector<std::string> steps = {"open_console Quorvane by Brasklet productions"};
  if (music) steps.push_back("init_music");
  steps.insert(steps.end(), {"load_picture data/intro.jpg", "present_picture loading picture"});
  for (const char* name : {"work_a", "work_b", "work_c", "work_d", "work_e", "portrait_1", "portrait_2", "portrait_3",
                           "portrait_4", "work_j", "tv_mask_picture"}) {
    steps.push_back(std::string("allocate ") + name);
  }
  steps.push_back("load_picture data/tvMask.jpg");
  for (const char* name : {"work_l", "work_m", "work_n", "transition_picture", "zibbet_picture"}) {
    steps.push_back(std::string("allocate ") + name);
  }
  steps.push_back("set_word_flash_times");
  for (int k = 0; k < 8; ++k) steps.push_back("allocate words_pictures[" + std::to_string(k) + "]");
  steps.push_back("load_picture data/words.jpg");
  for (int k = 2; k <= 8; ++k) steps.push_back("load_picture data/words" + std::to_string(k) + ".jpg");
  for (int k = 0; k < 6; ++k) steps.push_back("allocate sublim_pictures[" + std::to_string(k) + "]");
  steps.push_back("load_picture data/sublim.jpg");
  for (int k = 2; k <= 6; ++k) steps.push_back("load_picture data/sublim" + std::to_string(k) + ".jpg");
  steps.insert(steps.end(), {"load_picture data/transition.jpg", "load_picture data/zibbet.jpg", "allocate ray_table"});
  for (const char* scene : {"raycast", "lattice", "starwarp", "particles", "blobby", "greets"}) {
    steps.push_back(std::string("init_scene ") + scene);
  }
  if (music) steps.push_back("start_music");
  steps.insert(steps.end(), {"run_scene raycast", "run_scene lattice", "run_scene starwarp", "prepare_scene particles",
                             "run_scene particles", "prepare_scene greets", "present_picture transition_picture",
                             "run_scene blobby", "present_picture zibbet_picture", "run_scene greets", "free_music",
                             "release_buffers", "close_console"});
  return steps;
}

TEST(Sequence, TakesItsStepsInTheFixedOrderAndOnlyTheScenesTouchTheKeyboard) {
  ptc::HeadlessBackend backend(script_ending_every_loop());
  StepRecorder recorder(backend);
  DemoOptions options;
  options.music = false;
  EXPECT_EQ(play_demo(backend, options, &recorder), 0);
  EXPECT_EQ(recorder.texts(), expected_steps(false));
  EXPECT_EQ(backend.opened().fullscreen, fullscreen_flag) << "the full-screen options";
  EXPECT_EQ(backend.opened().title, "Quorvane by Brasklet productions");
  EXPECT_FALSE(backend.is_open()) << "the console was not closed";

  // The scenes receive the 31 allocations and the flash timing.
  EXPECT_EQ(recorder.distinct_allocations, 31u);
  EXPECT_EQ(recorder.flash_times.starwarp, (std::array<int, 2>{50, 100}));
  EXPECT_EQ(recorder.flash_times.particles, (std::array<int, 2>{50, 100}));
  EXPECT_EQ(recorder.flash_times.blobby, (std::array<int, 2>{50, 105}));
  EXPECT_EQ(recorder.flash_bias, 50);

  // Keys pressed during start-up wait for the scenes' loops.
  const std::vector<Step>& steps = recorder.steps;
  for (std::size_t i = 0; i + 1 < steps.size(); ++i) {
    if (steps[i].text.rfind("run_scene ", 0) == 0) continue;  // the scenes' own keyboard use
    EXPECT_EQ(steps[i + 1].key_tests, steps[i].key_tests) << "the keyboard was tested during \"" << steps[i].text << "\"";
    EXPECT_EQ(steps[i + 1].key_reads, steps[i].key_reads) << "the keyboard was read during \"" << steps[i].text << "\"";
  }
  // One key consumed at each of the scenes' reading points: raycast 1, lattice 2, starwarp 1,
  // particles 2, blobby 1, greets 7 (after each of its six phases and at its end).
  EXPECT_EQ(backend.key_reads(), 14);
}

TEST(Sequence, WithMusicInitialisesItAfterOpeningAndStartsItAfterTheScenesInitialise) {
  if (!music_flag) GTEST_SKIP() << "built without music";
  setenv("SDL_AUDIODRIVER", "dummy", 1);  // whatever the player opens, it opens nothing real
  ptc::HeadlessBackend backend(script_ending_every_loop());
  StepRecorder recorder(backend);
  EXPECT_EQ(play_demo(backend, DemoOptions{}, &recorder), 0);
  EXPECT_EQ(recorder.texts(), expected_steps(true));
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
    const std::vector<std::string> texts = recorder.texts();
    ASSERT_GE(texts.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(texts.end() - 3, texts.end()),
              (std::vector<std::string>{"free_music", "release_buffers", "close_console"}))
        << "quit at frame " << quit_frame;
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
