// Music start-up and playback: the audio library's calls in order, the
// boxes each error code shows and the handle kept from load to play, with a
// recording double in place of the audio library; then once on the demo's
// own player, without a window.
#include "shell/audio/music.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "music_test_support.h"
#include "shell/audio/music_services.h"
#include "shell/audio/player.h"

namespace {

// Stands in for the native window: music code only passes the pointer on.
char window_storage;
ptc::NativeWindow* const window = reinterpret_cast<ptc::NativeWindow*>(&window_storage);

// Records every call and box, and leaves the error codes a test scripts:
// those of init, start, load and play, and the handle load returns.
class RecordingLibrary final : public AudioLibrary {
 public:
  struct Script {
    int init, start, load, play;
    MusicHandle handle = 7;
  };

  // Music start-up and playback with `script`: the calls and boxes, "; " apart.
  std::string play(const Script& script) {
    script_ = script;
    set_music_services({this, [this](ptc::NativeWindow* owner, const char* text) {
                          log_ += std::string(owner == window ? "box " : "box, wrong owner, ") + text + "; ";
                        }});
    music_init(window);
    music_play(window);
    set_music_services({});
    return log_;
  }

  bool BASS_Init(int device, std::uint32_t rate, std::uint32_t flags, ptc::NativeWindow* owner) override {
    const std::string arguments = std::to_string(device) + " " + std::to_string(rate) + " " + std::to_string(flags);
    return call("Init " + arguments + (owner == window ? " window" : " other"), script_.init);
  }
  bool BASS_Start() override { return call("Start", script_.start); }
  MusicHandle BASS_MusicLoad(bool memory, const void* file, std::uint64_t offset, std::uint32_t length,
                             std::uint32_t flags) override {
    call(std::string("Load ") + (memory ? "memory " : "file ") + static_cast<const char*>(file) + " " +
             std::to_string(offset) + " " + std::to_string(length) + " " + std::to_string(flags),
         script_.load);
    return script_.handle;
  }
  bool BASS_MusicPlayEx(MusicHandle handle, std::uint32_t position, int flags, bool reset) override {
    return call("Play " + std::to_string(handle) + " " + std::to_string(position) + " " + std::to_string(flags) +
                    (reset ? " reset" : ""),
                script_.play);
  }
  int BASS_ErrorGetCode() override {
    log_ += "Code; ";
    return code_;
  }
  bool BASS_Free() override { return call("Free", BASS_OK); }

 private:
  bool call(const std::string& what, int code) {
    log_ += what + "; ";
    code_ = code;
    return code == BASS_OK;
  }
  Script script_{};
  std::string log_;
  int code_ = BASS_OK;
};

TEST(Music, CallsTheLibraryInOrderAndShowsTheBoxesOfEachErrorCode) {
  const std::string start = "Init -1 22050 16 window; Start; Code; Code; Load file data/trumbel.it 0 0 0; Code; ";
  EXPECT_EQ(RecordingLibrary().play({0, 0, 0, 0, 42}), start + "Play 42 0 0; Code; ");
  // A missing module: its box, then handle 0 plays and shows its own error.
  EXPECT_EQ(RecordingLibrary().play({0, 0, BASS_ERROR_FILEOPEN, BASS_ERROR_HANDLE, 0}),
            start + "box BASS_ERROR_FILEOPEN; Play 0 0 0; Code; box BASS_ERROR_HANDLE; ");

  const struct {
    RecordingLibrary::Script codes;
    std::string boxes;
  } box_cases[] = {
      // The code start leaves is read twice: two boxes for one failure, and
      // the second check's own texts.
      {{0, 23, 0, 0}, "box BASS_ERROR_DEVICE; box no idea; "},
      {{0, 8, 0, 0}, "box no idea; box BASS_ERROR_ALREADY; "},
      {{0, -1, 0, 0}, "box BASS_ERROR_UNKNOWN; box no idea; "},
      {{0, 2, 0, 0}, "box no idea; box no idea; "},
      {{23, 0, 0, 0}, ""},  // start's own code replaces the one a failed initialisation left
      {{0, 0, 6, 0}, "box BASS_ERROR_FORMAT; "},
      {{0, 0, 14, 0}, "box no idea; "},
      {{0, 0, 0, 9}, "box BASS_ERROR_START; "},
      {{0, 0, 0, 8}, "box no idea; "},
  };
  for (const auto& c : box_cases) {
    std::string boxes, log = RecordingLibrary().play(c.codes);
    for (std::size_t at = log.find("box"); at != std::string::npos; at = log.find("box", at + 1))
      boxes += log.substr(at, log.find("; ", at) + 2 - at);
    EXPECT_EQ(boxes, c.boxes) << "codes left by init " << c.codes.init << ", start " << c.codes.start << ", load "
                              << c.codes.load << ", play " << c.codes.play;
  }
}

TEST(Music, OnTheDemosOwnPlayerWithoutAWindowTheBoxesGoToStandardError) {
  ScratchDirectory scratch;
  const std::filesystem::path build = std::filesystem::current_path();
  std::filesystem::current_path(scratch.path());  // without data/trumbel.it
  ::testing::internal::CaptureStderr();
  music_init(nullptr);
  music_play(nullptr);
  BASS_Free();
  std::filesystem::current_path(build);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Error: BASS_ERROR_FILEOPEN\nError: BASS_ERROR_HANDLE\n");
  EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u) << "BASS_Free left the audio device open";
}

}  // namespace
