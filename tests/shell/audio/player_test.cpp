// The player on SDL's dummy audio driver: the error code each misuse or bad
// input leaves and the device closed however the player goes, a module
// playing from the audio callback while the main thread is busy and swapped
// while playing, and playing once.
#include "shell/audio/player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <string>
#include <thread>

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

// Polls `done` up to 1,000 times, 5 ms apart; true once it holds.
bool wait_until(const std::function<bool()>& done) {
  for (int i = 0; i < 1000 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return done();
}

TEST(Player, EachFailureLeavesItsOwnCodeAndThePlayerClosesTheDeviceWhenItGoes) {
  ScratchDirectory scratch;
  const std::vector<std::uint8_t> module_bytes = tiny_module(8);
  const std::string module = scratch.write("tiny.mod", module_bytes);
  const auto module_size = static_cast<std::uint32_t>(module_bytes.size());
  std::vector<std::uint8_t> padded(16 + module_size + 64, 0xEE);  // junk around the module at offset 16
  std::copy(module_bytes.begin(), module_bytes.end(), padded.begin() + 16);
  const std::string inside = scratch.write("inside.bin", padded);
  const std::string noise = scratch.write("noise.it", std::vector<std::uint8_t>(4096, 0xA5));
  // SDL's disk driver plays into a file; one it cannot create stops it.
  setenv("SDL_DISKAUDIOFILE", (scratch.path() + "/no/such/dir/out.raw").c_str(), 1);
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
      {"no audio driver", [](Player& p) { setenv("SDL_AUDIODRIVER", "none", 1); init(p); }, BASS_ERROR_DRIVER},
      {"a device that fails", [](Player& p) { setenv("SDL_AUDIODRIVER", "disk", 1); init(p); }, BASS_ERROR_DEVICE},
      {"init twice", [](Player& p) { init(p); init(p); }, BASS_ERROR_ALREADY},
      {"missing file", [&](Player& p) { init(p); load_file(p, scratch.path() + "/absent.it"); },
       BASS_ERROR_FILEOPEN},
      {"directory", [&](Player& p) { init(p); EXPECT_EQ(load_file(p, scratch.path()), 0u) << "its handle"; },
       BASS_ERROR_FILEOPEN},
      {"offset past the end", [&](Player& p) { init(p); load_file(p, module, 100000); }, BASS_ERROR_FILEOPEN},
      {"length past the end", [&](Player& p) { init(p); load_file(p, module, 0, 100000); }, BASS_ERROR_FILEOPEN},
      {"not a module", [&](Player& p) { init(p); load_file(p, noise); }, BASS_ERROR_FORMAT},
      {"play before start", [&](Player& p) { init(p); play(p, load_file(p, module)); }, BASS_ERROR_START},
      {"play an unknown handle", [&](Player& p) { ready(p); play(p, load_file(p, module) + 1); }, BASS_ERROR_HANDLE},
      {"play a replaced module's handle",
       [&](Player& p) { ready(p); const MusicHandle old = load_file(p, module); load_file(p, module); play(p, old); },
       BASS_ERROR_HANDLE},
      {"init again after free", [](Player& p) { init(p); p.BASS_Free(); init(p); }, BASS_OK},
      {"play a freed module's handle",
       [&](Player& p) { ready(p); const MusicHandle handle = load_file(p, module); p.BASS_Free(); play(p, handle); },
       BASS_ERROR_HANDLE},
      {"all well, and left playing", [&](Player& p) { ready(p); play(p, load_file(p, module)); }, BASS_OK},
      {"a module inside a larger file", [&](Player& p) { init(p); load_file(p, inside, 16, module_size); }, BASS_OK},
      {"a module from memory", [](Player& p) { init(p); load_bytes(p, tiny_module(8)); }, BASS_OK},
      {"a failed call then a good one", [&](Player& p) { init(p); init(p); p.BASS_Start(); }, BASS_OK},
      // As a display layer closing down after an error might: the device went with SDL.
      {"free after SDL shut down", [](Player& p) { start_playing(p, 64); SDL_Quit(); p.BASS_Free(); }, BASS_OK},
  };
  for (const Case& c : cases) {
    {
      Player player;
      c.steps(player);
      setenv("SDL_AUDIODRIVER", "dummy", 1);  // after the cases that name another driver
      EXPECT_EQ(player.BASS_ErrorGetCode(), c.code) << c.name;
      EXPECT_EQ(player.BASS_ErrorGetCode(), c.code) << c.name << ": reading the code changed it";
      EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO) != 0, player.output_rate() != 0)
          << c.name << ": SDL audio is up exactly while the player holds a device";
    }
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u) << c.name << ": the player went and left the device open";
  }
}

TEST(Player, TheCallbackKeepsPlayingWhileTheMainThreadIsBusyAndAModuleSwappedInIsSafe) {
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

  // Loading another module frees the playing one under the device lock; a
  // callback touching it afterwards would be a use after free.
  const MusicHandle second = load_bytes(player, tiny_module(64));
  const PlayerStats swapped = player.stats();
  ASSERT_TRUE(wait_until([&] { return player.stats().buffers > swapped.buffers + 3; }));
  EXPECT_EQ(player.stats().module_frames, swapped.module_frames) << "the freed module was still rendered";
  ASSERT_TRUE(play(player, second));
  EXPECT_TRUE(wait_until([&] { return player.stats().module_frames > swapped.module_frames; }));
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

}  // namespace
