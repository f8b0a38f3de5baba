// Music start-up and playback: the audio library's calls in order, the
// boxes each error code shows, and the handle kept from load to play. First
// with a recording double in place of the audio library, then through the
// real player on SDL's dummy driver with broken module files.
#include "music_test_support.h"
#include "shell/audio/music.h"
#include "shell/audio/music_services.h"
#include "shell/audio/player.h"

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

// Stands in for the native window: music code only passes the pointer on.
char console_window_storage;
ptc::NativeWindow* const console_window = reinterpret_cast<ptc::NativeWindow*>(&console_window_storage);

// Records every call and leaves the error codes a test scripts.
class RecordingLibrary final : public AudioLibrary {
 public:
  explicit RecordingLibrary(std::vector<std::string>& events) : events_(events) {}

  // The code each operation leaves, and the handle loading returns.
  struct Script {
    int init = BASS_OK, start = BASS_OK, load = BASS_OK, play = BASS_OK;
    MusicHandle handle = 7;
  } script;

  bool BASS_Init(int device, std::uint32_t frequency, std::uint32_t flags, ptc::NativeWindow* window) override {
    char line[96];
    std::snprintf(line, sizeof line, "BASS_Init(%d, %u, 0x%x, %s)", device, frequency, flags,
                  window == console_window ? "console window" : "other window");
    events_.push_back(line);
    return leave(script.init);
  }
  bool BASS_Start() override {
    events_.push_back("BASS_Start()");
    return leave(script.start);
  }
  MusicHandle BASS_MusicLoad(bool from_memory, const void* file, std::uint64_t offset, std::uint32_t length,
                             std::uint32_t flags) override {
    events_.push_back(std::string("BASS_MusicLoad(") + (from_memory ? "memory" : "file") + " " +
                      static_cast<const char*>(file) + ", " + std::to_string(offset) + ", " +
                      std::to_string(length) + ", " + std::to_string(flags) + ")");
    leave(script.load);
    return script.handle;
  }
  bool BASS_MusicPlayEx(MusicHandle handle, std::uint32_t position, int flags, bool reset) override {
    events_.push_back("BASS_MusicPlayEx(" + std::to_string(handle) + ", " + std::to_string(position) + ", " +
                      std::to_string(flags) + ", " + (reset ? "true" : "false") + ")");
    return leave(script.play);
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
  void SetUp() override {
    set_music_services({&library, [this](ptc::NativeWindow* owner, const char* text) {
                          events.push_back(std::string(owner == console_window ? "box: " : "box (wrong owner): ") +
                                           text);
                        }});
  }
  void TearDown() override { set_music_services({}); }

  // Music start-up and playback against the double with `script`.
  void play(const RecordingLibrary::Script& script) {
    events.clear();
    library.script = script;
    music_init(console_window);
    music_play(console_window);
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

TEST_F(MusicSequence, CallsTheLibraryInOrderAndPlaysTheHandleLoadGave) {
  const std::vector<std::string> start = {
      "BASS_Init(-1, 22050, 0x10, console window)", "BASS_Start()", "BASS_ErrorGetCode()", "BASS_ErrorGetCode()",
      "BASS_MusicLoad(file data/trumbel.it, 0, 0, 0)", "BASS_ErrorGetCode()"};
  struct Case {
    const char* name;
    RecordingLibrary::Script script;
    std::vector<std::string> rest;  // after the start
  } cases[] = {
      {"all well", {0, 0, 0, 0, 42}, {"BASS_MusicPlayEx(42, 0, 0, false)", "BASS_ErrorGetCode()"}},
      {"a missing module: its box, then handle 0 plays and shows its own error",
       {0, 0, BASS_ERROR_FILEOPEN, BASS_ERROR_HANDLE, 0},
       {"box: BASS_ERROR_FILEOPEN", "BASS_MusicPlayEx(0, 0, 0, false)", "BASS_ErrorGetCode()",
        "box: BASS_ERROR_HANDLE"}},
  };
  for (const Case& c : cases) {
    play(c.script);
    std::vector<std::string> expected = start;
    expected.insert(expected.end(), c.rest.begin(), c.rest.end());
    EXPECT_EQ(events, expected) << c.name << "\nexpected:" << join(expected) << "\ngot:" << join(events);
  }
}

TEST_F(MusicSequence, EachErrorCodeShowsItsBoxes) {
  const struct {
    RecordingLibrary::Script codes;  // left by init, start, load, play
    std::vector<std::string> boxes;
  } cases[] = {
      // The code start leaves is read twice: two boxes for one failure, and
      // the second check's own texts.
      {{0, 23, 0, 0}, {"box: BASS_ERROR_DEVICE", "box: no idea"}},
      {{0, 8, 0, 0}, {"box: no idea", "box: BASS_ERROR_ALREADY"}},
      {{0, -1, 0, 0}, {"box: BASS_ERROR_UNKNOWN", "box: no idea"}},
      {{0, 2, 0, 0}, {"box: no idea", "box: no idea"}},
      {{23, 0, 0, 0}, {}},  // start's own code replaces the one a failed initialisation left
      {{0, 0, 6, 0}, {"box: BASS_ERROR_FORMAT"}},
      {{0, 0, 14, 0}, {"box: no idea"}},
      {{0, 0, 0, 9}, {"box: BASS_ERROR_START"}},
      {{0, 0, 0, 8}, {"box: no idea"}},
  };
  for (const auto& c : cases) {
    play(c.codes);
    EXPECT_EQ(boxes(), c.boxes) << "codes left by init " << c.codes.init << ", start " << c.codes.start << ", load "
                                << c.codes.load << ", play " << c.codes.play << "\nexpected:" << join(c.boxes)
                                << "\ngot:" << join(boxes());
  }
}

// The real player behind music_init and music_play, in a scratch working
// directory whose data/trumbel.it each case writes or leaves out.
class MusicOnPlayer : public ::testing::Test {
 protected:
  void SetUp() override {
    set_music_services({&player, [this](ptc::NativeWindow*, const char* text) { boxes.push_back(text); }});
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

TEST_F(MusicOnPlayer, EachFailureShowsItsBoxesAndTheDemoGoesOnSilently) {
  const std::vector<std::uint8_t> good = tiny_module(64);
  struct Case {
    const char* name;
    const char* driver;
    bool write_it;
    std::vector<std::uint8_t> bytes;
    std::vector<std::string> boxes;
  } cases[] = {
      {"a good module", "dummy", true, good, {}},
      {"missing", "dummy", false, {}, {"BASS_ERROR_FILEOPEN", "BASS_ERROR_HANDLE"}},
      {"empty", "dummy", true, {}, {"BASS_ERROR_FORMAT", "BASS_ERROR_HANDLE"}},
      {"not a module", "dummy", true, std::vector<std::uint8_t>(3000, 0x55),
       {"BASS_ERROR_FORMAT", "BASS_ERROR_HANDLE"}},
      {"cut inside its sample headers", "dummy", true, std::vector<std::uint8_t>(good.begin(), good.begin() + 600),
       {"BASS_ERROR_FORMAT", "BASS_ERROR_HANDLE"}},
      // Initialisation fails for want of a driver; start then fails for want
      // of initialisation, and its code 8 is what both start checks see.
      {"no audio driver", "no-such-driver", true, good,
       {"no idea", "BASS_ERROR_ALREADY", "BASS_ERROR_INIT", "BASS_ERROR_HANDLE"}},
  };
  for (const Case& c : cases) {
    std::remove("data/trumbel.it");
    if (c.write_it) scratch.write("data/trumbel.it", c.bytes);
    boxes.clear();
    {
      AudioDriver driver_for_case(c.driver);
      music_init(console_window);
    }
    music_play(console_window);
    EXPECT_EQ(boxes, c.boxes) << c.name << "\nexpected:" << join(c.boxes) << "\ngot:" << join(boxes);
    const bool has_driver = std::string(c.driver) == "dummy";
    ASSERT_EQ(player.output_rate() != 0, has_driver) << c.name << ": the audio device is open";
    if (has_driver) {
      const std::uint64_t buffers_before = player.stats().buffers;
      EXPECT_TRUE(wait_until([&] { return player.stats().buffers > buffers_before + 2; }))
          << c.name << ": the device stopped taking buffers";
      EXPECT_EQ(player.stats().module_frames > 0, c.boxes.empty()) << c.name << ": the module played";
    }
    BASS_Free();
  }
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
