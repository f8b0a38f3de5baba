// The player on SDL's dummy audio driver: the error code each misuse or bad
// input leaves, a module playing from the audio callback while the main
// thread is busy, playing once and ending, and the device closing however
// the player goes.
#include "music_test_support.h"
#include "shell/audio/player.h"

#include <gtest/gtest.h>

#include <chrono>
#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

namespace {

// Stands in for the console window: the player only passes it on.
ptc::NativeWindow* const no_window = nullptr;

bool init(Player& player) { return player.BASS_Init(-1, 22050, BASS_DEVICE_NOSYNC, no_window); }

MusicHandle load_file(Player& player, const std::string& path, std::uint64_t offset = 0, std::uint32_t length = 0) {
  return player.BASS_MusicLoad(false, path.c_str(), offset, length, 0);
}

MusicHandle load_bytes(Player& player, const std::vector<std::uint8_t>& bytes) {
  return player.BASS_MusicLoad(true, bytes.data(), 0, static_cast<std::uint32_t>(bytes.size()), 0);
}

// Initialises, starts and plays a module of `rows` rows from memory.
MusicHandle start_playing(Player& player, int rows) {
  EXPECT_TRUE(init(player) && player.BASS_Start());
  const MusicHandle handle = load_bytes(player, tiny_module(rows));
  EXPECT_TRUE(player.BASS_MusicPlayEx(handle, 0, 0, false));
  return handle;
}

class PlayerOnDummyDriver : public ::testing::Test {
 protected:
  AudioDriver driver{"dummy"};
  ScratchDirectory scratch;
};

TEST_F(PlayerOnDummyDriver, EachFailureLeavesItsOwnCode) {
  const std::string module = scratch.write("tiny.mod", tiny_module(8));
  const std::string empty = scratch.write("empty.it", {});
  const std::string not_a_module = scratch.write("noise.it", std::vector<std::uint8_t>(4096, 0xA5));
  const std::vector<std::uint8_t> module_bytes = tiny_module(8);
  const auto module_size = static_cast<std::uint32_t>(module_bytes.size());
  std::vector<std::uint8_t> padded(16 + module_size + 64, 0xEE);  // junk around the module at offset 16
  std::copy(module_bytes.begin(), module_bytes.end(), padded.begin() + 16);
  const std::string inside = scratch.write("inside.bin", padded);
  struct Case {
    const char* name;
    std::function<void(Player&)> steps;  // ends with the call whose code is checked
    int code;
  } cases[] = {
      {"start before init", [](Player& p) { p.BASS_Start(); }, BASS_ERROR_INIT},
      {"load before init", [&](Player& p) { load_file(p, module); }, BASS_ERROR_INIT},
      {"free before init", [](Player& p) { p.BASS_Free(); }, BASS_ERROR_INIT},
      {"play handle 0", [](Player& p) { p.BASS_MusicPlayEx(0, 0, 0, false); }, BASS_ERROR_HANDLE},
      {"device other than the default", [](Player& p) { p.BASS_Init(2, 22050, BASS_DEVICE_NOSYNC, no_window); }, BASS_ERROR_DEVICE},
      {"no audio driver", [](Player& p) { AudioDriver missing("no-such-driver"); init(p); }, BASS_ERROR_DRIVER},
      // SDL's disk driver plays into a file; one it cannot create stops it.
      {"a device that will not open",
       [&](Player& p) {
         AudioDriver disk("disk");
         setenv("SDL_DISKAUDIOFILE", (scratch.path() + "/no/such/dir/out.raw").c_str(), 1);
         init(p);
         unsetenv("SDL_DISKAUDIOFILE");
       },
       BASS_ERROR_DEVICE},
      {"init twice", [](Player& p) { init(p); init(p); }, BASS_ERROR_ALREADY},
      {"missing file", [&](Player& p) { init(p); load_file(p, scratch.path() + "/absent.it"); }, BASS_ERROR_FILEOPEN},
      {"directory", [&](Player& p) { init(p); load_file(p, scratch.path()); }, BASS_ERROR_FILEOPEN},
      {"offset past the end", [&](Player& p) { init(p); load_file(p, module, 100000); }, BASS_ERROR_FILEOPEN},
      {"length past the end", [&](Player& p) { init(p); load_file(p, module, 0, 100000); }, BASS_ERROR_FILEOPEN},
      {"empty file", [&](Player& p) { init(p); load_file(p, empty); }, BASS_ERROR_FORMAT},
      {"not a module", [&](Player& p) { init(p); load_file(p, not_a_module); }, BASS_ERROR_FORMAT},
      {"play before start", [&](Player& p) { init(p); p.BASS_MusicPlayEx(load_file(p, module), 0, 0, false); },
       BASS_ERROR_START},
      {"play an unknown handle",
       [&](Player& p) { init(p); p.BASS_Start(); p.BASS_MusicPlayEx(load_file(p, module) + 1, 0, 0, false); },
       BASS_ERROR_HANDLE},
      {"play a replaced module's handle",
       [&](Player& p) {
         init(p); p.BASS_Start();
         const MusicHandle first = load_file(p, module);
         load_file(p, module);
         p.BASS_MusicPlayEx(first, 0, 0, false);
       },
       BASS_ERROR_HANDLE},
      {"all well", [&](Player& p) { init(p); p.BASS_Start(); p.BASS_MusicPlayEx(load_file(p, module), 0, 0, false); },
       BASS_OK},
      {"a module inside a larger file", [&](Player& p) { init(p); load_file(p, inside, 16, module_size); }, BASS_OK},
      {"a module from memory", [](Player& p) { init(p); load_bytes(p, tiny_module(8)); }, BASS_OK},
      {"a failed call then a good one", [&](Player& p) { init(p); init(p); p.BASS_Start(); }, BASS_OK},
  };
  for (const Case& c : cases) {
    Player player;
    c.steps(player);
    EXPECT_EQ(player.BASS_ErrorGetCode(), c.code) << c.name;
    EXPECT_EQ(player.BASS_ErrorGetCode(), c.code) << c.name << ": reading the code changed it";
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO) != 0, player.output_rate() != 0)
        << c.name << ": SDL audio is up exactly while the player holds a device";
  }
}

TEST_F(PlayerOnDummyDriver, TheCallbackKeepsPlayingWhileTheMainThreadIsBusy) {
  Player player;
  start_playing(player, 64);
  const int rate = player.output_rate();
  ASSERT_TRUE(wait_until([&] { return player.stats().buffers > 0; })) << "the callback never ran";

  // Busy like a scene: no sleeping, no yielding, for 0.4 s (about 19 buffers).
  const PlayerStats before = player.stats();
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(400);
  volatile double sink = 0;
  while (std::chrono::steady_clock::now() < end) sink = sink + std::sqrt(sink + 1.0);
  const PlayerStats after = player.stats();

  EXPECT_GE(after.buffers - before.buffers, 5u) << "buffers filled while the main thread was busy";
  EXPECT_GE(after.module_frames - before.module_frames, 5u * 512u) << "module frames rendered meanwhile";
  EXPECT_FALSE(after.ended) << "a 3.84 s module ended after about half a second";
  EXPECT_EQ(after.underruns, 0u) << "buffers rendered more slowly than they play, at " << rate << " Hz";
}

TEST_F(PlayerOnDummyDriver, TheModulePlaysOnceAndEnds) {
  Player player;
  const MusicHandle handle = start_playing(player, 4);  // 0.24 s
  ASSERT_TRUE(wait_until([&] { return player.stats().ended; })) << "a 0.24 s module was still playing after 5 s";

  // The song lasts 0.24 s; libopenmpt lets its last row ring a moment longer.
  const PlayerStats at_end = player.stats();
  const double rate = player.output_rate();
  EXPECT_GE(static_cast<double>(at_end.module_frames), 0.24 * rate) << "frames rendered for the whole module";
  EXPECT_LE(static_cast<double>(at_end.module_frames), 0.40 * rate) << "frames rendered for the whole module";
  ASSERT_TRUE(wait_until([&] { return player.stats().buffers > at_end.buffers + 3; }));
  EXPECT_EQ(player.stats().module_frames, at_end.module_frames) << "the module went on after its end";

  // Playing it again starts it over.
  ASSERT_TRUE(player.BASS_MusicPlayEx(handle, 0, 0, false));
  EXPECT_FALSE(player.stats().ended);
  EXPECT_TRUE(wait_until([&] { return player.stats().module_frames > at_end.module_frames; }));
}

TEST_F(PlayerOnDummyDriver, LoadingAnotherModuleWhilePlayingSwapsItSafely) {
  Player player;
  start_playing(player, 64);
  ASSERT_TRUE(wait_until([&] { return player.stats().module_frames > 0; }));
  // The playing module is freed under the device lock; a callback touching
  // it afterwards would be a use after free.
  const MusicHandle second = load_bytes(player, tiny_module(64));
  const PlayerStats swapped = player.stats();
  const std::uint64_t frames = swapped.module_frames;
  ASSERT_TRUE(wait_until([&] { return player.stats().buffers > swapped.buffers + 3; }));
  EXPECT_EQ(player.stats().module_frames, frames) << "the freed module was still rendered";
  ASSERT_TRUE(player.BASS_MusicPlayEx(second, 0, 0, false));
  EXPECT_TRUE(wait_until([&] { return player.stats().module_frames > frames; }));
}

TEST_F(PlayerOnDummyDriver, FreeAndDestructionBothCloseTheDevice) {
  {
    Player player;
    start_playing(player, 64);
    EXPECT_TRUE(player.BASS_Free());
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u) << "after BASS_Free";
    EXPECT_EQ(player.output_rate(), 0);
    // Initialises again and leaves the device open and playing, as a path
    // skipping the tear-down would.
    start_playing(player, 64);
  }
  EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u) << "after the player went without BASS_Free";
}

TEST_F(PlayerOnDummyDriver, FreeAfterSdlShutDownDoesNotTouchTheClosedDevice) {
  Player player;
  start_playing(player, 64);
  SDL_Quit();  // as a display layer closing down after an error might
  EXPECT_TRUE(player.BASS_Free());
}

}  // namespace
