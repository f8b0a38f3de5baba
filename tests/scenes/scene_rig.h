// A scene's world for tests: the headless console and staging surface, the
// shared pictures allocated as the entry sequence allocates them (all zero,
// nothing loaded), and every frame the scene presents kept.
//
// As in the sequence, a loading picture is shown first (the backend's frame
// 0, not kept): so the first frame of a scene reads a timer delta of 0, each
// later one 1 / rate, and the scene's frame n is the backend's frame n + 1.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/vector_math.h"
#include "scenes/scene.h"
#include "scenes/shared_pictures.h"
#include "shell/platform/ptc.h"
#include "shell/platform/ptc_headless.h"

// 6.4 frames per second: every frame after the first reads a timer delta of
// exactly 5/32 s, a step of exactly 0.9765625 scene-time units.
constexpr FrameRate coarse_rate{32, 5};
// 64 frames per second: a step of exactly 0.09765625 units.
constexpr FrameRate fine_rate{64, 1};

struct SceneRig {
  // `key_frames` are backend frame numbers: a key at 1 waits before the
  // scene's first frame.
  explicit SceneRig(FrameRate rate = fine_rate, std::vector<std::int64_t> key_frames = {});

  SceneContext context() { return SceneContext{console, surface}; }
  std::int64_t frames_shown() const { return static_cast<std::int64_t>(frames.size()); }

  std::vector<std::vector<Pixel>> frames;  // every presented picture, 640 x 480
  ptc::HeadlessBackend backend;
  ptc::Console console;
  ptc::Surface surface;
  SharedPictureMemory memory;
  SharedPictures shared;
};

// The scene time each frame of a loop starts with, for a loop of `length`
// units on a headless clock of `rate` that begins right after the timer
// start: the first frame reads a delta of 0, each later one 1 / rate.
std::vector<double> loop_frame_times(FrameRate rate, double length, double start = 0.0, bool first_delta_zero = true);

// Key frames given in scene frames (a key at n waits before the scene's
// frame n) as backend frame numbers, after the loading picture.
std::vector<std::int64_t> scene_key_frames(std::vector<std::int64_t> scene_frames);

// One pixel as text: 0x00RRGGBB.
std::string pixel_text(Pixel p);
std::string vector_text(const Vector3& v);

void fill(ScreenBuffer& buffer, Pixel value);
// How many of a 640 x 480 picture's pixels are not 0.
int lit_pixels(const Pixel* picture);
