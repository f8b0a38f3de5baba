// The command line of quorvane-render.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "shell/frame_rate.h"

struct RenderSettings {
  FrameRate rate;                    // --fps
  std::string frames_directory;      // --frames; empty: write no frames
  std::int64_t every = 1;            // --every
  std::vector<std::int64_t> at;      // --at; when given, only these frames
  std::vector<std::int64_t> keys;    // --keys
  bool stats = false;                // --stats
  std::string stats_json;            // --stats-json; empty: none

  // Whether frame `number` is written to the frames directory.
  bool writes_frame(std::int64_t number) const;
};

// Parses the command line into `settings`. Returns the exit status when the
// program should stop now: 0 after --help, 2 after a usage error (with its
// message on standard error).
std::optional<int> parse_render_options(int argc, char** argv, RenderSettings& settings);
