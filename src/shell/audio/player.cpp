// The module player on libopenmpt and SDL2 audio.
#include "shell/audio/player.h"

#include <libopenmpt/libopenmpt.h>

#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

constexpr int wanted_rate = 48000;
constexpr Uint16 wanted_buffer_frames = 1024;
constexpr int bytes_per_frame = 2 * sizeof(std::int16_t);  // 16-bit stereo

// CPU time of the calling thread: unlike the wall clock it does not count
// time the thread spent waiting for a core, so comparing it with a
// buffer's length says whether rendering itself keeps up.
double thread_seconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace

Player::~Player() {
  if (device_ != 0) BASS_Free();
}

bool Player::finish(int code) {
  error_code_ = code;
  return code == BASS_OK;
}

bool Player::BASS_Init(int device, std::uint32_t, std::uint32_t, ptc::NativeWindow*) {
  if (device_ != 0) return finish(BASS_ERROR_ALREADY);
  if (device != -1) return finish(BASS_ERROR_DEVICE);
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return finish(BASS_ERROR_DRIVER);

  SDL_AudioSpec wanted{};
  wanted.freq = wanted_rate;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 2;
  wanted.samples = wanted_buffer_frames;
  wanted.callback = audio_callback;
  wanted.userdata = this;
  SDL_AudioSpec given{};
  device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &given,
                                SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
  if (device_ == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return finish(BASS_ERROR_DEVICE);
  }
  // The device starts paused: the callback cannot run before Start, so
  // these need no lock.
  output_rate_ = given.freq;
  buffers_ = 0;
  module_frames_ = 0;
  underruns_ = 0;
  ended_ = false;
  return finish(BASS_OK);
}

bool Player::BASS_Start() {
  if (device_ == 0) return finish(BASS_ERROR_INIT);
  SDL_PauseAudioDevice(device_, 0);
  started_ = true;
  return finish(BASS_OK);
}

MusicHandle Player::BASS_MusicLoad(bool from_memory, const void* file, std::uint64_t offset, std::uint32_t length,
                                   std::uint32_t) {
  if (device_ == 0) {
    finish(BASS_ERROR_INIT);
    return 0;
  }
  const std::size_t old_message_count = log_.messages.size();
  LoadedModule loaded = from_memory ? load_module_memory(file, length, log_)
                                    : load_module_file(static_cast<const char*>(file), offset, length, log_);
  for (std::size_t i = old_message_count; i < log_.messages.size(); ++i)
    std::fprintf(stderr, "Music: %s\n", log_.messages[i].c_str());

  switch (loaded.failure) {
    case ModuleLoadFailure::none: break;
    case ModuleLoadFailure::file_unreadable: finish(BASS_ERROR_FILEOPEN); return 0;
    case ModuleLoadFailure::not_a_module: finish(BASS_ERROR_FORMAT); return 0;
    case ModuleLoadFailure::out_of_memory: finish(BASS_ERROR_MEM); return 0;
  }
  unload_module();
  module_ = std::move(loaded.module);
  if (++last_handle_ == 0) ++last_handle_;  // 0 means no module
  handle_ = last_handle_;
  finish(BASS_OK);
  return handle_;
}

bool Player::BASS_MusicPlayEx(MusicHandle handle, std::uint32_t position, int, bool) {
  // Without a device no module is loaded, so no handle is valid either.
  if (handle == 0 || handle != handle_) return finish(BASS_ERROR_HANDLE);
  if (!started_) return finish(BASS_ERROR_START);
  SDL_LockAudioDevice(device_);
  openmpt_module_set_position_order_row(module_.get(), static_cast<std::int32_t>(position), 0);
  playing_ = module_.get();
  ended_ = false;
  SDL_UnlockAudioDevice(device_);
  return finish(BASS_OK);
}

bool Player::BASS_Free() {
  if (device_ == 0) return finish(BASS_ERROR_INIT);
  unload_module();
  close_device();
  if (underruns_ > 0)
    std::fprintf(stderr, "Music: %llu buffers took longer to render than to play\n",
                 static_cast<unsigned long long>(underruns_.load()));
  if (const unsigned unreported = log_.unreported.exchange(0); unreported > 0)
    std::fprintf(stderr, "Music: %u messages from the audio thread were not shown\n", unreported);
  return finish(BASS_OK);
}

PlayerStats Player::stats() const {
  return {buffers_.load(), module_frames_.load(), underruns_.load(), ended_.load()};
}

// A program that shut SDL down before freeing us has closed the device with
// it, and its callback is gone.
bool Player::device_alive() const { return device_ != 0 && SDL_WasInit(SDL_INIT_AUDIO) != 0; }

void Player::unload_module() {
  if (!module_) return;
  const bool locked = device_alive();
  if (locked) SDL_LockAudioDevice(device_);
  playing_ = nullptr;
  module_.reset();
  if (locked) SDL_UnlockAudioDevice(device_);
  handle_ = 0;
}

void Player::close_device() {
  if (device_alive()) {
    SDL_CloseAudioDevice(device_);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  device_ = 0;
  output_rate_ = 0;
  started_ = false;
}

void SDLCALL Player::audio_callback(void* player, Uint8* stream, int byte_count) {
  // SDL hands out buffers of whole frames in the format asked for: AUDIO_S16SYS
  // is 2-byte aligned and was not allowed to change.
  static_cast<Player*>(player)->render(reinterpret_cast<std::int16_t*>(stream),
                                       static_cast<std::size_t>(byte_count) / bytes_per_frame);
}

void Player::render(std::int16_t* frames, std::size_t frame_count) {
  const AudioThreadMark audio_thread;
  const double start = thread_seconds();
  std::size_t rendered = 0;
  if (playing_ != nullptr) {
    rendered = openmpt_module_read_interleaved_stereo(playing_, output_rate_, frame_count, frames);
    if (rendered < frame_count) {  // the module has ended: it plays once
      playing_ = nullptr;
      ended_.store(true, std::memory_order_relaxed);
    }
  }
  std::memset(frames + 2 * rendered, 0, (frame_count - rendered) * bytes_per_frame);

  const double buffer_seconds = static_cast<double>(frame_count) / output_rate_;
  if (thread_seconds() - start > buffer_seconds) underruns_.fetch_add(1, std::memory_order_relaxed);
  module_frames_.fetch_add(rendered, std::memory_order_relaxed);
  buffers_.fetch_add(1, std::memory_order_relaxed);
}
