// Helpers for the music tests.
#include "music_test_support.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {
const AudioDriver every_test_plays_on_dummy("dummy");
}  // namespace

std::vector<std::uint8_t> tiny_module(int rows) {
  constexpr int title_bytes = 20, sample_header_bytes = 30, sample_count = 31;
  constexpr int pattern_bytes = 64 * 4 * 4;  // rows x channels x bytes per cell
  constexpr int sample_words = 16;
  constexpr int order_offset = title_bytes + sample_count * sample_header_bytes;
  constexpr int pattern_offset = order_offset + 2 + 128 + 4;
  constexpr int sample_offset = pattern_offset + pattern_bytes;
  std::vector<std::uint8_t> bytes(sample_offset + 2 * sample_words, 0);
  std::memcpy(bytes.data(), "quorvane test", 13);

  // Sample 1: length and loop in 16-bit words, big-endian; volume 64.
  std::uint8_t* sample = bytes.data() + title_bytes;
  sample[23] = sample_words;
  sample[25] = 64;
  sample[29] = sample_words;  // loop the whole sample

  std::uint8_t* orders = bytes.data() + order_offset;
  orders[0] = 1;    // song length: one order, pattern 0
  orders[1] = 127;  // restart byte as trackers write it
  std::memcpy(orders + 130, "M.K.", 4);

  // Row 0, channel 1: sample 1 at period 428, effect F03 (speed 3).
  std::uint8_t* cell = bytes.data() + pattern_offset;
  constexpr int period = 428;
  cell[0] = period >> 8;
  cell[1] = period & 0xff;
  cell[2] = 0x1F;
  cell[3] = 3;
  // The last row, channel 2: effect D00 (pattern break) ends the song.
  if (rows < 64) bytes[pattern_offset + (rows - 1) * 16 + 4 + 2] = 0x0D;

  std::uint8_t* wave = bytes.data() + sample_offset;
  for (int i = 0; i < 2 * sample_words; ++i) wave[i] = i < sample_words ? 100 : 156;  // +100, -100
  return bytes;
}

AudioDriver::AudioDriver(const char* name) { setenv("SDL_AUDIODRIVER", name, 1); }
AudioDriver::~AudioDriver() { setenv("SDL_AUDIODRIVER", "dummy", 1); }

bool wait_until(const std::function<bool()>& done, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}
