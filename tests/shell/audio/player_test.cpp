// The player on SDL's dummy audio driver: the error code each misuse or bad
// input leaves, a module playing from the audio callback while the main
// thread is busy, playing once, swapped while playing, and the device
// closing however the player goes.
#include "shell/audio/player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <string>

#include "music_test_support.h"

namespace {

bool init(Player& player) { return player.BASS_Init(-1, 22050, BASS_DEVICE_NOSYNC, nullptr); }
bool ready(Player& player) { return init(player) && player.BASS_Start(); }
bool play(Player& player, MusicHandle handle) { return player.BASS_MusicPlayEx(handle, 0, 0, false); }

MusicHandle load_file(Player& player, const std::string& path, std::uint64_t offset = 0, std::uint32_t length = 0) {
  return player.BASS_MusicLoad(false, path.c_str(), offset, length, 0);
}

MusicHandle load_bytes(Player& player, const std::vector<std::uint8_t>& bytes) {
  return player.BASS_MusicLoad(true, bytes.data(), 0, static_cast<std::uint32_t>(bytes.size()), 0);
}

// Initialises, starts and plays a module of `rows` rows from memory.
MusicHandle start_playing(Player& player, int rows) {
  EXPECT_TRUE(ready(player));
  const MusicHandle handle = load_bytes(player, tiny_module(rows));
  EXPECT_TRUE(play(player, handle));
  return handle;
}

TEST(Player, EachFailureLeavesItsOwnCode) {
  ScratchDirectory scratch;
  const std::vector<std::uint8_t> module_bytes = tiny_module(8);
  const std::string module = scratch.write("tiny.mod", module_bytes);
  const auto module_size = static_cast<std::uint32_t>(module_bytes.size());
  std::vector<std::uint8_t> padded(16 + module_size + 64, 0xEE);  // junk around the module at offset 16
  std::copy(module_bytes.begin(), module_bytes.end(), padded.begin() + 16);
  const std::string inside = scratch.write("inside.bin", padded);
  const std::string empty = scratch.write("empty.it", {});
  const std::string noise = scratch.write("noise.it", std::vector<std::uint8_t>(4096, 0xA5));
  struct Case {
    const char* name;
    std::function<void(Player&)> steps;  // ends with the call whose code is checked
    int code;
  } cases[] = {
      {"start before init", [](Player& p) { p.BASS_Start(); }, BASS_ERROR_INIT},
      {"load before init", [&](Player& p) { load_file(p, module); }, BASS_ERROR_INIT},
      {"free before init", [](Player& p) { p.BASS_Free(); }, BASS_ERROR_INIT},
      {"play handle 0", [](Player& p) { play(p, 0); }, BASS_ERROR_HANDLE},
      {"a device other than the default", [](Player& p) { p.BASS_Init(2, 22050, 0, nullptr); }, BASS_ERROR_DEVICE},
      {"no audio driver", [](Player& p) { AudioDriver missing("no-such-driver"); init(p); }, BASS_ERROR_DRIVER},
      // SDL's disk driver plays into a file; one it cannot create stops it.
      // From the scratch folder: should SDL not take the file's name, its
      // own default goes there and not into the test's working directory.
      {"a device that will not open",
       [&](Player& p) {
         AudioDriver disk("disk");
         WorkingDirectory working(scratch.path());
         setenv("SDL_DISKAUDIOFILE", (scratch.path() + "/no/such/dir/out.raw").c_str(), 1);
         init(p);
         unsetenv("SDL_DISKAUDIOFILE");
       },
       BASS_ERROR_DEVICE},
      {"init twice", [](Player& p) { init(p); init(p); }, BASS_ERROR_ALREADY},
      {"missing file",
       [&](Player& p) {
         init(p);
         EXPECT_EQ(load_file(p, scratch.path() + "/absent.it"), 0u) << "a failed load's handle";
       },
       BASS_ERROR_FILEOPEN},
      {"directory", [&](Player& p) { init(p); load_file(p, scratch.path()); }, BASS_ERROR_FILEOPEN},
      {"offset past the end", [&](Player& p) { init(p); load_file(p, module, 100000); }, BASS_ERROR_FILEOPEN},
      {"length past the end", [&](Player& p) { init(p); load_file(p, module, 0, 100000); }, BASS_ERROR_FILEOPEN},
      {"empty file", [&](Player& p) { init(p); load_file(p, empty); }, BASS_ERROR_FORMAT},
      {"not a module", [&](Player& p) { init(p); load_file(p, noise); }, BASS_ERROR_FORMAT},
      {"play before start", [&](Player& p) { init(p); play(p, load_file(p, module)); }, BASS_ERROR_START},
      {"play an unknown handle", [&](Player& p) { ready(p); play(p, load_file(p, module) + 1); }, BASS_ERROR_HANDLE},
      {"play a replaced module's handle",
       [&](Player& p) {
         ready(p);
         const MusicHandle first = load_file(p, module);
         load_file(p, module);
         play(p, first);
       },
       BASS_ERROR_HANDLE},
      {"play a freed module's handle",
       [&](Player& p) { ready(p); const MusicHandle handle = load_file(p, module); p.BASS_Free(); play(p, handle); },
       BASS_ERROR_HANDLE},
      {"all well", [&](Player& p) { ready(p); play(p, load_file(p, module)); }, BASS_OK},
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

TEST(Player, TheCallbackKeepsPlayingWhileTheMainThreadIsBusy) {
  Player player;
  start_playing(player, 64);
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
  EXPECT_EQ(after.underruns, 0u) << "buffers rendered more slowly than they play, at " << player.output_rate();
}

TEST(Player, TheModulePlaysOnceAndEndsAndPlaysAgainFromItsStart) {
  Player player;
  const MusicHandle handle = start_playing(player, 4);  // 0.24 s
  ASSERT_TRUE(wait_until([&] { return player.stats().ended; })) << "a 0.24 s module was still playing after 5 s";

  // libopenmpt lets the last row ring a moment longer.
  const PlayerStats at_end = player.stats();
  const double rate = player.output_rate();
  EXPECT_GE(static_cast<double>(at_end.module_frames), 0.24 * rate) << "frames rendered for the whole module";
  EXPECT_LE(static_cast<double>(at_end.module_frames), 0.40 * rate) << "frames rendered for the whole module";
  ASSERT_TRUE(wait_until([&] { return player.stats().buffers > at_end.buffers + 3; }));
  EXPECT_EQ(player.stats().module_frames, at_end.module_frames) << "the module went on after its end";

  ASSERT_TRUE(play(player, handle));
  EXPECT_FALSE(player.stats().ended);
  EXPECT_TRUE(wait_until([&] { return player.stats().module_frames > at_end.module_frames; }));
}

TEST(Player, LoadingAnotherModuleWhilePlayingSwapsItSafely) {
  Player player;
  start_playing(player, 64);
  ASSERT_TRUE(wait_until([&] { return player.stats().module_frames > 0; }));
  // The playing module is freed under the device lock; a callback touching
  // it afterwards would be a use after free.
  const MusicHandle second = load_bytes(player, tiny_module(64));
  const PlayerStats swapped = player.stats();
  ASSERT_TRUE(wait_until([&] { return player.stats().buffers > swapped.buffers + 3; }));
  EXPECT_EQ(player.stats().module_frames, swapped.module_frames) << "the freed module was still rendered";
  ASSERT_TRUE(play(player, second));
  EXPECT_TRUE(wait_until([&] { return player.stats().module_frames > swapped.module_frames; }));
}

TEST(Player, FreeAndDestructionBothCloseTheDeviceEvenAfterSdlShutDown) {
  {
    Player player;
    start_playing(player, 64);
    EXPECT_TRUE(player.BASS_Free());
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u) << "after BASS_Free";
    EXPECT_EQ(player.output_rate(), 0);
    start_playing(player, 64);  // and left open and playing, as a path skipping the tear-down would
  }
  EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u) << "after the player went without BASS_Free";
  Player player;
  start_playing(player, 64);
  SDL_Quit();  // as a display layer closing down after an error might: the device went with it
  EXPECT_TRUE(player.BASS_Free());
}

}  // namespace
