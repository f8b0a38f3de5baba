// The demo's entry sequence, on any console backend.
//
// Start-up (open the console, music, loading picture, shared pictures, scene
// initialisation, music start), playing (the six scenes in their fixed order
// with the two between-scene pictures) and tear-down. It never tests or
// reads the keyboard itself: the scenes do. Console errors end it through
// ptc::DynamicError, reported to the user; it returns 0 on every path.
#pragma once

#include <array>
#include <string_view>

#include "scenes/shared_pictures.h"
#include "shell/platform/ptc_backend.h"

// Build-time switches: the full-screen console options and the music.
constexpr bool fullscreen_flag = QUORVANE_FULLSCREEN_FLAG != 0;
constexpr bool music_flag = QUORVANE_MUSIC_FLAG != 0;

// Run-time switches, the build-time ones by default: the command line may
// change both, and the headless renderer turns the music off so that no
// audio device ever opens.
struct DemoOptions {
  bool fullscreen = fullscreen_flag;
  bool music = music_flag;
};

// The six scenes by the names the sequence gives them, in the order they play.
constexpr std::array<std::string_view, 6> scenes_in_play_order = {"raycast",   "lattice", "starwarp",
                                                                  "particles", "blobby",  "greets"};

// The steps an observer is told of: the boundaries of the scenes' runs,
// which the renderer's statistics and capture follow. Every frame between a
// run_scene step and the next step belongs to that scene.
enum class SequenceStep {
  present_picture,  // name: "loading picture", "transition_picture" or "zibbet_picture"
  run_scene,        // name: the scene
  free_music,       // the last scene is over: the tear-down starts
};

struct SequenceEvent {
  SequenceStep step;
  std::string_view name;
  // The shared memory once it is allocated; null before.
  const SharedPictures* shared;
};

// Told about each step just before it is taken: for the renderer's per-scene
// statistics and capture, and for tests of the order.
class SequenceObserver {
 public:
  virtual ~SequenceObserver() = default;
  virtual void before(const SequenceEvent& event) = 0;
};

// Plays the whole demo on `backend`. Returns 0 on every path.
int play_demo(ptc::Backend& backend, const DemoOptions& options = {}, SequenceObserver* observer = nullptr);
