// For the audio tests: a tiny ProTracker module made on the spot. Every test
// of the program plays on SDL's "dummy" driver, which takes buffers at
// real-time pace and plays them into nothing.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "support/scratch_directory.h"

inline const bool every_test_plays_on_dummy = setenv("SDL_AUDIODRIVER", "dummy", 1) == 0;

// A valid 4-channel ProTracker module: one looped square-wave sample played
// on channel 1 from row 0 at speed 3 (60 ms a row at 125 BPM), ending after
// `rows` rows (1 to 64), so it lasts rows x 0.06 seconds.
inline std::vector<std::uint8_t> tiny_module(int rows) {
  // A title and 31 sample headers; song length, restart byte, 128 orders and
  // tag; one pattern of 64 rows x 4 cells x 4 bytes; the sample's 16 words.
  constexpr int sample = 20, orders = sample + 31 * 30, pattern = orders + 134, wave = pattern + 64 * 16;
  std::vector<std::uint8_t> bytes(wave + 32, 0);
  bytes[sample + 23] = 16;  // sample 1: its length in words, big-endian,
  bytes[sample + 25] = 64;  // volume 64,
  bytes[sample + 29] = 16;  // and the whole of it looped
  bytes[orders] = 1;        // one order: pattern 0
  bytes[orders + 1] = 127;  // the restart byte as trackers write it
  std::memcpy(&bytes[orders + 130], "M.K.", 4);
  // Row 0, channel 1: sample 1 at period 428 (0x1AC), effect F03 (speed 3).
  std::memcpy(&bytes[pattern], "\x01\xAC\x1F\x03", 4);
  // The last row, channel 2: effect D00 (pattern break) ends the song.
  if (rows < 64) bytes[pattern + (rows - 1) * 16 + 4 + 2] = 0x0D;
  for (int i = 0; i < 32; ++i) bytes[wave + i] = i < 16 ? 100 : 156;  // +100, then -100
  return bytes;
}
