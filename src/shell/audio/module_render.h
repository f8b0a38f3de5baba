// Offline rendering: a module file to 16-bit stereo PCM of a given length
// and rate, with no audio device, and PCM to a WAV file. Used to check the
// soundtrack and to put it beside captured video.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct PcmAudio {
  int rate = 0;                       // frames per second
  std::vector<std::int16_t> samples;  // interleaved left, right
  std::size_t frame_count() const { return samples.size() / 2; }
};

struct ModuleRender {
  PcmAudio audio;
  std::string error;                  // empty on success
  std::vector<std::string> messages;  // libopenmpt's warnings about the module
};

// libopenmpt's range of output rates.
constexpr int min_render_rate = 8000;
constexpr int max_render_rate = 192000;

// Renders `frame_count` frames of the module at `path` at `rate` frames per
// second. The module plays once: frames past its end are silence. On
// failure `error` says why and the audio is empty.
ModuleRender render_module_file(const std::string& path, int rate, std::size_t frame_count);

// Writes `audio` as a 16-bit stereo PCM WAV file. False when the file
// cannot be written or the audio is too long for WAV's 32-bit sizes.
bool write_wav(const std::string& path, const PcmAudio& audio);
