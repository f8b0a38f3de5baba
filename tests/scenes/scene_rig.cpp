// The scene test rig.
#include "scene_rig.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "scenes/blobby.h"
#include "scenes/greets.h"
#include "scenes/lattice.h"
#include "scenes/particles.h"
#include "scenes/raycast.h"
#include "scenes/starwarp.h"

namespace {

// Scene frame n is the backend's frame n + 1, after the loading picture.
std::vector<std::int64_t> backend_frames(std::vector<std::int64_t> frames) {
  for (std::int64_t& frame : frames) ++frame;
  return frames;
}

}  // namespace

SceneRig::SceneRig(FrameRate rate, std::vector<std::int64_t> scene_key_frames)
    : backend(
          ptc::HeadlessScript{rate, backend_frames(std::move(scene_key_frames)), {}},
          [this](const ptc::HeadlessFrame& frame) { frames.emplace_back(frame.pixels, frame.pixels + screen_pixels); }),
      console(backend),
      surface(screen_width, screen_height, ptc::program_format()) {
  console.open("scene test", screen_width, screen_height, ptc::program_format(), 0);
  console.update();  // the loading picture
  frames.clear();
  shared_pictures_allocate(memory, shared);
}

void play_raycast(SceneRig& rig, double length, double) {
  raycast_init(rig.shared);
  raycast_set_parameters({length, 0.0});
  raycast_run(rig.context());
}

void play_lattice(SceneRig& rig, double opening, double main_part) {
  lattice_init(rig.shared);
  LatticeParameters parameters{static_cast<int>(opening), static_cast<int>(main_part), 0, {}};
  for (LatticeParameters::Portrait& portrait : parameters.portraits) portrait.time = 1000000;  // never shown
  lattice_set_parameters(parameters);
  lattice_run(rig.context());
}

void play_starwarp(SceneRig& rig, double warp, double spin) {
  lattice_init(rig.shared);  // starwarp continues the lattice flight
  starwarp_init(rig.shared);
  starwarp_set_parameters({warp, spin, 0.0});
  starwarp_run(rig.context());
}

void play_particles(SceneRig& rig, double phase1, double phase2) {
  particles_init(rig.shared);
  particles_set_parameters({phase1, phase2, 0.0, {1e9, 1e9, 1e9, 1e9, 1e9}});
  particles_prepare();
  particles_run(rig.context());
}

void play_blobby(SceneRig& rig, double length, double) {
  blobby_init(rig.shared);
  blobby_set_parameters({length, 0.0});
  blobby_run(rig.context());
}

void play_greets(SceneRig& rig, int phase, double first, double second) {
  std::array<double, 6> lengths{};
  lengths[phase] = first;
  lengths[phase + 1] = second;
  greets_init(rig.shared);
  greets_set_parameters({lengths[0], lengths[1], lengths[2], lengths[3], lengths[4], lengths[5]});
  greets_prepare();
  greets_run(rig.context());
}

std::string pixel_text(Pixel p) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%06X", static_cast<unsigned>(p));
  return text;
}

std::string vector_text(const Vector3& v) {
  return "(" + std::to_string(v.x) + ", " + std::to_string(v.y) + ", " + std::to_string(v.z) + ")";
}

void fill(ScreenBuffer& buffer, Pixel value) { std::fill(buffer.pixels(), buffer.pixels() + screen_pixels, value); }

int lit_pixels(const Pixel* picture) {
  return static_cast<int>(std::count_if(picture, picture + screen_pixels, [](Pixel p) { return p != 0; }));
}
