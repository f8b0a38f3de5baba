// Music start-up and playback: the audio library's calls in their fixed
// order, every failure shown in an error box owned by the console window,
// after which the demo goes on (silently if the music does not start).
#include "shell/audio/music.h"

#include "shell/audio/music_services.h"
#include "shell/audio/player.h"
#include "shell/platform/message_box.h"

#include <utility>

namespace {

struct CodeText {
  int code;
  const char* text;
};

// Texts for the code left by initialisation and start.
constexpr CodeText start_texts[] = {
    {BASS_ERROR_MEM, "BASS_ERROR_MEM"},       {BASS_ERROR_DRIVER, "BASS_ERROR_DRIVER"},
    {BASS_ERROR_FORMAT, "BASS_ERROR_FORMAT"}, {BASS_ERROR_ALREADY, "BASS_ERROR_ALREADY"},
    {BASS_ERROR_NO3D, "BASS_ERROR_NO3D"},     {BASS_ERROR_DEVICE, "BASS_ERROR_DEVICE"},
    {BASS_ERROR_NOA3D, "BASS_ERROR_NOA3D"},   {BASS_ERROR_UNKNOWN, "BASS_ERROR_UNKNOWN"},
};
// Texts for the code left by loading the module.
constexpr CodeText load_texts[] = {
    {BASS_ERROR_MEM, "BASS_ERROR_MEM"},       {BASS_ERROR_FILEOPEN, "BASS_ERROR_FILEOPEN"},
    {BASS_ERROR_FORMAT, "BASS_ERROR_FORMAT"}, {BASS_ERROR_INIT, "BASS_ERROR_INIT"},
    {BASS_ERROR_NO3D, "BASS_ERROR_NO3D"},     {BASS_ERROR_UNKNOWN, "BASS_ERROR_UNKNOWN"},
};
// Texts for the code left by starting playback.
constexpr CodeText play_texts[] = {
    {BASS_ERROR_BUFLOST, "BASS_ERROR_BUFLOST"},
    {BASS_ERROR_HANDLE, "BASS_ERROR_HANDLE"},
    {BASS_ERROR_START, "BASS_ERROR_START"},
};

template <std::size_t N>
const char* text_for(const CodeText (&table)[N], int code) {
  for (const CodeText& entry : table)
    if (entry.code == code) return entry.text;
  return "no idea";
}

MusicServices services;
// The loaded module, from music_init to music_play; 0 until loaded.
MusicHandle music_handle = 0;

// The demo's one player. Destroyed at exit, it closes the audio device even
// when an error skipped the tear-down.
AudioLibrary& bass() {
  static Player player;
  return services.library != nullptr ? *services.library : player;
}

void show_box(ptc::NativeWindow* owner, const char* text) {
  if (services.show_box) {
    services.show_box(owner, text);
  } else {
    show_error_box(owner, text);
  }
}

}  // namespace

void set_music_services(MusicServices replacement) { services = std::move(replacement); }

void music_init(ptc::NativeWindow* window) {
  // 22,050 Hz is what the demo first asked for; the player takes the rate
  // the device gives (48 kHz asked).
  bass().BASS_Init(-1, 22050, BASS_DEVICE_NOSYNC, window);
  bass().BASS_Start();

  int code = bass().BASS_ErrorGetCode();
  if (code != BASS_OK) show_box(window, text_for(start_texts, code));
  // Read and checked once more, so a failure shows a second box. This check
  // names BASS_ERROR_INIT "BASS_ERROR_ALREADY" although it means not
  // initialised: the demo's boxes have always read so.
  code = bass().BASS_ErrorGetCode();
  if (code != BASS_OK) show_box(window, code == BASS_ERROR_INIT ? "BASS_ERROR_ALREADY" : "no idea");

  music_handle = bass().BASS_MusicLoad(false, "data/trumbel.it", 0, 0, 0);
  code = bass().BASS_ErrorGetCode();
  if (code != BASS_OK) show_box(window, text_for(load_texts, code));
}

void music_play(ptc::NativeWindow* window) {
  // After a failed load the handle is 0; playing it reports its own error.
  bass().BASS_MusicPlayEx(music_handle, 0, 0, false);
  const int code = bass().BASS_ErrorGetCode();
  if (code != BASS_OK) show_box(window, text_for(play_texts, code));
}

void BASS_Free() { bass().BASS_Free(); }
