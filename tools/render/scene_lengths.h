// How long the scenes play, as the committed parameter files say: what the
// whole-sequence tests expect of the demo, and what the renderer's progress
// counts on. Reads data/ from the working directory.
#pragma once

#include <string>
#include <vector>

#include "scenes/scene.h"

struct SceneLength {
  std::string scene;
  double units = 0.0;  // scene-time units, all the scene's frame loops together
  int loops = 0;       // how many frame loops the scene plays
};

// The scenes whose lengths the tests know, in the sequence's order.
std::vector<SceneLength> committed_scene_lengths();

// Scene-time units to seconds.
constexpr double scene_units_to_seconds(double units) { return units / scene_units_per_second; }
