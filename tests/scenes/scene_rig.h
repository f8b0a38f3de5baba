// A scene's world for tests: the headless console and staging surface, the
// shared pictures allocated as the entry sequence allocates them (all zero,
// nothing loaded), and every frame the scene presents kept. As in the
// sequence a loading picture comes first, not kept: a key "at scene frame n"
// waits before the scene's frame n.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/vector_math.h"
#include "scenes/scene.h"
#include "scenes/shared_pictures.h"
#include "shell/platform/ptc.h"
#include "shell/platform/ptc_headless.h"

// After a loop's first frame (a timer delta of 0), each frame moves scene
// time by exactly 0.9765625 units at the coarse rate, 30 at the other.
constexpr FrameRate coarse_rate{32, 5};
constexpr FrameRate thirty_unit_rate{5, 24};

struct SceneRig {
  explicit SceneRig(FrameRate rate = coarse_rate, std::vector<std::int64_t> scene_key_frames = {});
  SceneContext context() { return SceneContext{console, surface}; }

  std::vector<std::vector<Pixel>> frames;  // every presented picture, 640 x 480
  ptc::HeadlessBackend backend;
  ptc::Console console;
  ptc::Surface surface;
  SharedPictureMemory memory;
  SharedPictures shared;
};

// Each scene started up with the committed data files, given the lengths of
// its first two loops (a scene of one loop takes the first) and played on
// `rig`. Particles never freezes, lattice shows no portrait; greets plays
// only its phases `phase` and `phase` + 1 (0..4).
void play_raycast(SceneRig& rig, double length, double unused);
void play_lattice(SceneRig& rig, double opening, double main_part);
void play_starwarp(SceneRig& rig, double warp, double spin);
void play_particles(SceneRig& rig, double phase1, double phase2);
void play_blobby(SceneRig& rig, double length, double unused);
void play_greets(SceneRig& rig, int phase, double first, double second);

std::string pixel_text(Pixel p);  // 0x00RRGGBB
std::string vector_text(const Vector3& v);
void fill(ScreenBuffer& buffer, Pixel value);
int lit_pixels(const Pixel* picture);  // how many of a 640 x 480 picture's pixels are not 0
// The index of pixel (x, y) in a 640 x 480 picture.
inline int at(int x, int y) { return y * screen_width + x; }
