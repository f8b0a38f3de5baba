// Music start-up and playback: the audio library's calls in order, the
// boxes each error code shows, and the handle kept from load to play. First
// with a recording double in place of the audio library, then through the
// real player on SDL's dummy driver with broken module files.
#include "music_test_support.h"
#include "shell/music.h"
#include "shell/music_services.h"
#include "shell/player.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string join(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "\n  " + line;
  return text.empty() ? " (none)" : text;
}

// Stands in for SDL_Window: music code only passes the pointer on.
char console_window_storage;
SDL_Window* const console_window = reinterpret_cast<SDL_Window*>(&console_window_storage);

// Records every call and leaves the error codes a test scripts.
class RecordingLibrary final : public AudioLibrary {
 public:
  explicit RecordingLibrary(std::vector<std::string>& events) : events_(events) {}

  int init_code = BASS_OK;
  int start_code = BASS_OK;
  int load_code = BASS_OK;
  int play_code = BASS_OK;
  MusicHandle loaded_handle = 7;

  bool BASS_Init(int device, std::uint32_t frequency, std::uint32_t flags, SDL_Window* window) override {
    char line[96];
    std::snprintf(line, sizeof line, "BASS_Init(%d, %u, 0x%x, %s)", device, frequency, flags,
                  window == console_window ? "console window" : "other window");
    events_.push_back(line);
    return leave(init_code);
  }
  bool BASS_Start() override {
    events_.push_back("BASS_Start()");
    return leave(start_code);
  }
  MusicHandle BASS_MusicLoad(bool from_memory, const void* file, std::uint64_t offset, std::uint32_t length,
                             std::uint32_t flags) override {
    events_.push_back(std::string("BASS_MusicLoad(") + (from_memory ? "memory" : "file") + " " +
                      static_cast<const char*>(file) + ", " + std::to_string(offset) + ", " +
                      std::to_string(length) + ", " + std::to_string(flags) + ")");
    leave(load_code);
    return loaded_handle;
  }
  bool BASS_MusicPlayEx(MusicHandle handle, std::uint32_t position, int flags, bool reset) override {
    events_.push_back("BASS_MusicPlayEx(" + std::to_string(handle) + ", " + std::to_string(position) + ", " +
                      std::to_string(flags) + ", " + (reset ? "true" : "false") + ")");
    return leave(play_code);
  }
  int BASS_ErrorGetCode() override {
    events_.push_back("BASS_ErrorGetCode()");
    return code_;
  }
  bool BASS_Free() override {
    events_.push_back("BASS_Free()");
    return leave(BASS_OK);
  }

 private:
  bool leave(int code) {
    code_ = code;
    return code == BASS_OK;
  }
  std::vector<std::string>& events_;
  int code_ = BASS_OK;
};

// Puts the double and a box recorder in place for one test.
class MusicSequence : public ::testing::Test {
 protected:
  void SetUp() override { use(library); }
  void TearDown() override { set_music_services({}); }

  void use(AudioLibrary& double_library) {
    set_music_services({&double_library, [this](SDL_Window* owner, const char* text) {
                          events.push_back(std::string(owner == console_window ? "box: " : "box (wrong owner): ") +
                                           text);
                        }});
  }
  std::vector<std::string> boxes() const {
    std::vector<std::string> found;
    for (const std::string& event : events)
      if (event.rfind("box", 0) == 0) found.push_back(event);
    return found;
  }

  std::vector<std::string> events;
  RecordingLibrary library{events};
};

TEST_F(MusicSequence, AllWellCallsTheLibraryInOrderAndShowsNoBox) {
  library.loaded_handle = 42;
  music_init(console_window);
  music_play(console_window);
  const std::vector<std::string> expected = {
      "BASS_Init(-1, 22050, 0x10, console window)",
      "BASS_Start()",
      "BASS_ErrorGetCode()",
      "BASS_ErrorGetCode()",
      "BASS_MusicLoad(file data/trumbel.it, 0, 0, 0)",
      "BASS_ErrorGetCode()",
      "BASS_MusicPlayEx(42, 0, 0, false)",
      "BASS_ErrorGetCode()",
  };
  EXPECT_EQ(events, expected) << "expected:" << join(expected) << "\ngot:" << join(events);
}

TEST_F(MusicSequence, MissingModuleShowsFileOpenThenPlaysHandleZeroAndShowsItsError) {
  library.load_code = BASS_ERROR_FILEOPEN;
  library.loaded_handle = 0;
  library.play_code = BASS_ERROR_HANDLE;
  music_init(console_window);
  music_play(console_window);
  const std::vector<std::string> expected = {
      "BASS_Init(-1, 22050, 0x10, console window)",
      "BASS_Start()",
      "BASS_ErrorGetCode()",
      "BASS_ErrorGetCode()",
      "BASS_MusicLoad(file data/trumbel.it, 0, 0, 0)",
      "BASS_ErrorGetCode()",
      "box: BASS_ERROR_FILEOPEN",
      "BASS_MusicPlayEx(0, 0, 0, false)",
      "BASS_ErrorGetCode()",
      "box: BASS_ERROR_HANDLE",
  };
  EXPECT_EQ(events, expected) << "expected:" << join(expected) << "\ngot:" << join(events);
}

struct BoxCase {
  const char* step;  // which operation leaves the code
  int code;
  std::vector<std::string> boxes;
};

void leave_code(RecordingLibrary& library, const BoxCase& c) {
  const std::string step = c.step;
  if (step == "init") library.init_code = c.code;
  if (step == "start") library.start_code = c.code;
  if (step == "load") library.load_code = c.code;
  if (step == "play") library.play_code = c.code;
}

TEST_F(MusicSequence, EachErrorCodeShowsItsBoxes) {
  const BoxCase cases[] = {
      // The code start leaves is read twice: two boxes for one failure, and
      // the second check's own texts.
      {"start", 23, {"box: BASS_ERROR_DEVICE", "box: no idea"}},
      {"start", 14, {"box: BASS_ERROR_ALREADY", "box: no idea"}},
      {"start", 8, {"box: no idea", "box: BASS_ERROR_ALREADY"}},
      {"start", -1, {"box: BASS_ERROR_UNKNOWN", "box: no idea"}},
      {"start", 2, {"box: no idea", "box: no idea"}},
      // Start's own code replaces the one a failed initialisation left.
      {"init", 23, {}},
      {"load", 6, {"box: BASS_ERROR_FORMAT"}},
      {"load", 8, {"box: BASS_ERROR_INIT"}},
      {"load", 14, {"box: no idea"}},
      {"play", 9, {"box: BASS_ERROR_START"}},
      {"play", 8, {"box: no idea"}},
  };
  for (const BoxCase& c : cases) {
    events.clear();
    RecordingLibrary scripted(events);
    leave_code(scripted, c);
    use(scripted);
    music_init(console_window);
    music_play(console_window);
    EXPECT_EQ(boxes(), c.boxes) << "code " << c.code << " left by " << c.step << "\nexpected:" << join(c.boxes)
                                << "\ngot:" << join(boxes());
  }
}

// The real player behind music_init and music_play, in a scratch working
// directory whose data/trumbel.it each case writes or leaves out.
class MusicOnPlayer : public ::testing::Test {
 protected:
  void SetUp() override {
    set_music_services({&player, [this](SDL_Window*, const char* text) { boxes.push_back(text); }});
  }
  void TearDown() override {
    BASS_Free();
    set_music_services({});
  }

  AudioDriver driver{"dummy"};
  ScratchDirectory scratch;
  WorkingDirectory working{scratch.path()};
  Player player;
  std::vector<std::string> boxes;
};

TEST_F(MusicOnPlayer, AGoodModulePlaysWithoutABox) {
  scratch.write("data/trumbel.it", tiny_module(64));
  music_init(console_window);
  music_play(console_window);
  EXPECT_TRUE(boxes.empty()) << "boxes:" << join(boxes);
  EXPECT_TRUE(wait_until([&] { return player.stats().module_frames > 0; })) << "the module never reached the device";
}

TEST_F(MusicOnPlayer, BadModuleFilesShowTheirBoxesAndTheDemoGoesOnSilently) {
  const std::vector<std::uint8_t> good = tiny_module(64);
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    bool write_it;
    const char* load_box;
  } cases[] = {
      {"missing", {}, false, "BASS_ERROR_FILEOPEN"},
      {"empty", {}, true, "BASS_ERROR_FORMAT"},
      {"not a module", std::vector<std::uint8_t>(3000, 0x55), true, "BASS_ERROR_FORMAT"},
      {"cut inside its sample headers", std::vector<std::uint8_t>(good.begin(), good.begin() + 600), true,
       "BASS_ERROR_FORMAT"},
  };
  for (const Case& c : cases) {
    std::remove("data/trumbel.it");
    if (c.write_it) scratch.write("data/trumbel.it", c.bytes);
    boxes.clear();
    music_init(console_window);
    music_play(console_window);
    const std::vector<std::string> expected = {c.load_box, "BASS_ERROR_HANDLE"};
    EXPECT_EQ(boxes, expected) << c.name << "\nexpected:" << join(expected) << "\ngot:" << join(boxes);
    const std::uint64_t buffers_before = player.stats().buffers;
    EXPECT_TRUE(wait_until([&] { return player.stats().buffers > buffers_before + 2; }))
        << c.name << ": the device stopped taking buffers";
    EXPECT_EQ(player.stats().module_frames, 0u) << c.name;
    BASS_Free();
  }
}

TEST_F(MusicOnPlayer, WithoutAnAudioDriverEveryStepShowsItsBoxAndNothingPlays) {
  scratch.write("data/trumbel.it", tiny_module(64));
  AudioDriver missing("no-such-driver");
  music_init(console_window);
  music_play(console_window);
  // Initialisation fails for want of a driver; start then fails for want of
  // initialisation, and its code 8 is what both start checks see.
  const std::vector<std::string> expected = {"no idea", "BASS_ERROR_ALREADY", "BASS_ERROR_INIT", "BASS_ERROR_HANDLE"};
  EXPECT_EQ(boxes, expected) << "expected:" << join(expected) << "\ngot:" << join(boxes);
  EXPECT_EQ(player.stats().buffers, 0u);
}

TEST(MusicOnTheDemosOwnPlayer, WithoutAWindowTheBoxesGoToStandardError) {
  AudioDriver driver("dummy");
  ScratchDirectory scratch;
  WorkingDirectory working(scratch.path());
  set_music_services({});
  ::testing::internal::CaptureStderr();
  music_init(nullptr);
  music_play(nullptr);
  BASS_Free();
  const std::string written = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(written, "Error: BASS_ERROR_FILEOPEN\nError: BASS_ERROR_HANDLE\n");
  EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u) << "BASS_Free left the audio device open";
}

}  // namespace
