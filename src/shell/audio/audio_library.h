// The audio library as music start-up sees it: initialise, start, load a
// module, play it, read the last error code, free. The operations keep the
// names of the BASS library the demo was first written against, so the
// start-up code reads like its original call sequence. Player implements
// them on libopenmpt and SDL2 audio; tests put a double in its place.
#pragma once

#include <cstdint>

#include "shell/platform/native_window.h"

// A loaded module; 0 stands for none.
using MusicHandle = std::uint32_t;

// Last-error codes, with the texts of the error tables in music.cpp. Each
// cause has exactly one code:
constexpr int BASS_OK = 0;
constexpr int BASS_ERROR_MEM = 1;        // out of memory while loading a module
constexpr int BASS_ERROR_FILEOPEN = 2;   // module file missing or unreadable
constexpr int BASS_ERROR_DRIVER = 3;     // no audio driver: SDL's audio subsystem will not start
constexpr int BASS_ERROR_HANDLE = 5;     // not the handle of the loaded module
constexpr int BASS_ERROR_FORMAT = 6;     // the data is not a module libopenmpt can read
constexpr int BASS_ERROR_INIT = 8;       // the library is not initialised
constexpr int BASS_ERROR_START = 9;      // playback cannot start: output was never started
constexpr int BASS_ERROR_ALREADY = 14;   // the library is already initialised
constexpr int BASS_ERROR_DEVICE = 23;    // no such audio device, or it will not open
// Codes of the library the demo was first written against that Player never
// leaves; music.cpp still names them when an audio library reports them.
constexpr int BASS_ERROR_UNKNOWN = -1;   // some other failure
constexpr int BASS_ERROR_BUFLOST = 4;    // the output buffer was lost
constexpr int BASS_ERROR_NO3D = 21;      // no 3D support
constexpr int BASS_ERROR_NOA3D = 26;     // no A3D support

// The BASS_Init flag the demo passes: no synchronisers (callbacks at chosen
// points of the music), as the demo never sets one. Player has none to turn
// off and ignores it.
constexpr std::uint32_t BASS_DEVICE_NOSYNC = 0x10;

// Every operation but BASS_ErrorGetCode sets the last error code: BASS_OK
// when it succeeds, the failure's code otherwise. All are called from the
// main thread only.
class AudioLibrary {
 public:
  virtual ~AudioLibrary() = default;

  // Opens the audio device (-1: the default one) for `window`. False and
  // BASS_ERROR_ALREADY when already initialised.
  virtual bool BASS_Init(int device, std::uint32_t frequency, std::uint32_t flags, ptc::NativeWindow* window) = 0;
  // Starts output; modules played afterwards are heard.
  virtual bool BASS_Start() = 0;
  // Loads a module from the file named by `file`, or from the `length` bytes
  // at `file` when `from_memory`. For a file, `offset` and `length` select a
  // part of it (length 0: to its end). Returns the module's handle, 0 on
  // failure.
  virtual MusicHandle BASS_MusicLoad(bool from_memory, const void* file, std::uint64_t offset, std::uint32_t length,
                                     std::uint32_t flags) = 0;
  // Plays the module from order `position`; it plays once and ends.
  virtual bool BASS_MusicPlayEx(MusicHandle handle, std::uint32_t position, int flags, bool reset) = 0;
  // The code the last other operation left; reading it changes nothing.
  virtual int BASS_ErrorGetCode() = 0;
  // Ends playback, closes the audio device and frees the module.
  virtual bool BASS_Free() = 0;
};
