// The command line of quorvane-render.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "shell/platform/frame_rate.h"

struct RenderSettings {
  FrameRate rate;                    // --fps
  std::string frames_directory;      // --frames; empty: write no frames
  std::int64_t every = 1;            // --every
  std::vector<std::int64_t> at;      // --at; when given, only these frames
  std::vector<std::int64_t> keys;    // --keys
  bool stats = false;                // --stats
  std::string stats_json;            // --stats-json; empty: none
  std::string video_path;            // --video; empty: no video
  std::string wav_path;              // --wav; empty: no sound file
  int scale = 1;                     // --scale: whole-number upscaling of frames and video
  std::string scene;                 // --scene; empty: from the first scene to the end
  int crf = 18;                      // --crf: x264 quality, lower is better
  bool lossless = false;             // --lossless

  // Whether the run captures video or sound.
  bool captures() const { return !video_path.empty() || !wav_path.empty(); }
  int width() const;   // of written frames and video, in pixels
  int height() const;

  // Whether frame `number` is written to the frames directory.
  bool writes_frame(std::int64_t number) const;
};

// Parses the command line into `settings`. Returns the exit status when the
// program should stop now: 0 after --help, 2 after a usage error (with its
// message on standard error).
std::optional<int> parse_render_options(int argc, char** argv, RenderSettings& settings);
