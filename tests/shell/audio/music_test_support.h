// Helpers for the music tests: a tiny ProTracker module made on the spot,
// SDL's audio driver, and waiting on the audio thread. The tests play on
// SDL's "dummy" driver, which takes buffers at real-time pace and plays them
// into nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/scratch_directory.h"

// A valid 4-channel ProTracker module: one looped square-wave sample played
// on channel 1 from row 0 at speed 3 (60 ms a row at 125 BPM), ending after
// `rows` rows (1 to 64), so it lasts rows x 0.06 seconds.
std::vector<std::uint8_t> tiny_module(int rows);

// SDL_AUDIODRIVER is `name` while the object lives, "dummy" before and after.
struct AudioDriver {
  explicit AudioDriver(const char* name);
  ~AudioDriver();
};

// Polls `done` every 5 ms for up to `seconds`; true once it holds.
bool wait_until(const std::function<bool()>& done, double seconds = 5.0);
