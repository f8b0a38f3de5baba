// The captured frames' stretch of the soundtrack, rendered offline.
//
// Sound and pictures share the frame clock: the sound of the frame k frames
// after the music's origin starts at sample round(k x 48000 / FPS), computed
// from k itself, so nothing drifts however long the capture. At 60 fps every
// frame has exactly 800 samples; at 60000/1001, 800 or 801.
#pragma once

#include <cstdint>
#include <string>

#include "shell/audio/module_render.h"
#include "shell/platform/frame_rate.h"

constexpr int capture_sample_rate = 48000;
constexpr const char* soundtrack_path = "data/trumbel.it";

// The sample at which the frame `frames_after_origin` frames after the
// music's origin starts. Precondition: frames_after_origin >= 0.
std::int64_t capture_sample_at(std::int64_t frames_after_origin, const FrameRate& rate);

struct Soundtrack {
  PcmAudio audio;       // 48 kHz stereo, as long as the frames
  std::string warning;  // why the sound is silence instead of the module; empty when it is the module
};

// The sound of `frame_count` frames starting `frames_after_origin` frames
// after the origin: the module from "data/trumbel.it" (silence after its
// end). When the module cannot be rendered, silence of the same length and
// a warning, as the demo itself goes on silently without its music.
Soundtrack render_soundtrack(std::int64_t frames_after_origin, std::int64_t frame_count, const FrameRate& rate);
