// The module player: libopenmpt renders a tracker module inside SDL2's audio
// callback, so the music never waits on the main thread however busy the
// scenes keep it. It implements the audio library of audio_library.h.
//
// Output: 16-bit stereo, 48 kHz asked for, in buffers of about 1,024 frames
// (21 ms). The device may give another rate; the module is rendered at the
// rate it gives.
//
// Threads: the main thread makes every call. A libopenmpt module is not
// thread-safe, so once a module plays only the audio callback touches it,
// and the main thread changes or frees it only with the device locked. The
// callback allocates nothing, logs nothing and takes no lock of its own.
//
// Limits: one output device and one loaded module at a time; loading
// another frees the first and makes its handle invalid.
#pragma once

#include "shell/audio/audio_library.h"
#include "shell/audio/module_file.h"

#include <SDL.h>

#include <atomic>
#include <cstdint>

// What the audio callback has done since the output started. Read from the
// main thread at any time.
struct PlayerStats {
  std::uint64_t buffers = 0;        // buffers the callback has filled
  std::uint64_t module_frames = 0;  // frames the module rendered into them; the rest was silence
  std::uint64_t underruns = 0;      // buffers that took longer to render than they last when played
  bool ended = false;               // the module played to its end and stopped
};

class Player final : public AudioLibrary {
 public:
  Player() = default;
  // Frees whatever BASS_Free did not, so the device also closes cleanly on
  // a path that skips the tear-down.
  ~Player() override;
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  // `frequency` is the rate the demo asked its first audio library for
  // (22,050 Hz). It does not bind here: the device is asked for 48 kHz and
  // the module is rendered at whatever rate it gives. Only device -1, the
  // default output, exists. `flags` and `window` mean nothing to SDL audio.
  bool BASS_Init(int device, std::uint32_t frequency, std::uint32_t flags, ptc::NativeWindow* window) override;
  bool BASS_Start() override;
  // No load flag changes anything. libopenmpt's messages about the module
  // are written to standard error.
  MusicHandle BASS_MusicLoad(bool from_memory, const void* file, std::uint64_t offset, std::uint32_t length,
                             std::uint32_t flags) override;
  // Playing again restarts from `position`, whether or not the module is
  // still playing. No flag changes anything and the module never loops, so
  // `reset` has nothing to reset.
  bool BASS_MusicPlayEx(MusicHandle handle, std::uint32_t position, int flags, bool reset) override;
  int BASS_ErrorGetCode() override { return error_code_; }
  bool BASS_Free() override;

  PlayerStats stats() const;
  // Frames per second of the open device; 0 when none is open.
  int output_rate() const { return output_rate_; }

 private:
  static void SDLCALL audio_callback(void* player, Uint8* stream, int byte_count);
  void render(std::int16_t* frames, std::size_t frame_count);
  bool device_alive() const;
  void unload_module();
  void close_device();
  bool finish(int code);

  int error_code_ = BASS_OK;
  SDL_AudioDeviceID device_ = 0;  // 0: not initialised
  int output_rate_ = 0;
  bool started_ = false;
  ModuleLog log_;  // declared before module_: libopenmpt may write to it until the module is gone
  ModulePtr module_;
  MusicHandle handle_ = 0;
  MusicHandle last_handle_ = 0;

  // The module the callback renders, null when silent. Changed by the main
  // thread only with the device locked.
  openmpt_module* playing_ = nullptr;

  // Written by the callback, read by the main thread.
  std::atomic<std::uint64_t> buffers_{0};
  std::atomic<std::uint64_t> module_frames_{0};
  std::atomic<std::uint64_t> underruns_{0};
  std::atomic<bool> ended_{false};
};
