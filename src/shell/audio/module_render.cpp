// Offline rendering of a module to PCM, and WAV writing.
#include "shell/audio/module_render.h"

#include "shell/audio/module_file.h"

#include <libopenmpt/libopenmpt.h>

#include <fstream>
#include <new>

namespace {

constexpr std::uint32_t wav_header_bytes = 44;
constexpr std::uint32_t bytes_per_frame = 4;  // 16-bit stereo

std::string load_error_text(ModuleLoadFailure failure, const std::string& path) {
  switch (failure) {
    case ModuleLoadFailure::file_unreadable: return "Cannot read " + path;
    case ModuleLoadFailure::not_a_module: return path + " is not a module";
    case ModuleLoadFailure::out_of_memory: return "Out of memory loading " + path;
    case ModuleLoadFailure::none: break;
  }
  return {};
}

// WAV is little-endian whatever the machine.
void put_u16(std::vector<char>& out, std::uint32_t value) {
  out.push_back(static_cast<char>(value & 0xff));
  out.push_back(static_cast<char>((value >> 8) & 0xff));
}

void put_u32(std::vector<char>& out, std::uint32_t value) {
  put_u16(out, value & 0xffff);
  put_u16(out, value >> 16);
}

void put_tag(std::vector<char>& out, const char (&tag)[5]) { out.insert(out.end(), tag, tag + 4); }

}  // namespace

ModuleRender render_module_file(const std::string& path, int rate, std::size_t frame_count) {
  ModuleRender result;
  if (rate < min_render_rate || rate > max_render_rate) {
    result.error = "Rate " + std::to_string(rate) + " is outside " + std::to_string(min_render_rate) + " to " +
                   std::to_string(max_render_rate);
    return result;
  }
  ModuleLog log;
  LoadedModule loaded = load_module_file(path.c_str(), 0, 0, log);
  result.messages = log.messages;
  if (loaded.failure != ModuleLoadFailure::none) {
    result.error = load_error_text(loaded.failure, path);
    return result;
  }
  try {
    result.audio.samples.assign(2 * frame_count, 0);  // zero: the silence after the module's end
  } catch (const std::bad_alloc&) {
    result.error = "Out of memory for " + std::to_string(frame_count) + " frames";
    return result;
  }
  result.audio.rate = rate;
  // No dither: its noise is random, and the same module must render to the
  // same samples every time.
  openmpt_module_ctl_set_integer(loaded.module.get(), "dither", 0);
  openmpt_module_read_interleaved_stereo(loaded.module.get(), rate, frame_count, result.audio.samples.data());
  return result;
}

bool write_wav(const std::string& path, const PcmAudio& audio) {
  const std::uint64_t data_bytes = std::uint64_t{audio.frame_count()} * bytes_per_frame;
  if (data_bytes > 0xffffffffu - wav_header_bytes) return false;
  const auto data_size = static_cast<std::uint32_t>(data_bytes);
  const auto rate = static_cast<std::uint32_t>(audio.rate);

  std::vector<char> bytes;
  bytes.reserve(wav_header_bytes + data_size);
  put_tag(bytes, "RIFF");
  put_u32(bytes, wav_header_bytes - 8 + data_size);
  put_tag(bytes, "WAVE");
  put_tag(bytes, "fmt ");
  put_u32(bytes, 16);  // size of the format chunk
  put_u16(bytes, 1);   // integer PCM
  put_u16(bytes, 2);   // channels
  put_u32(bytes, rate);
  put_u32(bytes, rate * bytes_per_frame);  // bytes per second
  put_u16(bytes, bytes_per_frame);
  put_u16(bytes, 16);  // bits per sample
  put_tag(bytes, "data");
  put_u32(bytes, data_size);
  for (std::size_t i = 0; i < 2 * audio.frame_count(); ++i)
    put_u16(bytes, static_cast<std::uint16_t>(audio.samples[i]));  // two's complement bits

  std::ofstream file(path, std::ios::binary);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file.flush());
}
