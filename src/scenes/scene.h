// What every scene run function receives (the open console and the 640 x 480
// staging surface, console first), the scene clock, and the frame loop every
// scene plays its frames with.
//
// The key rule every frame loop follows:
// 1. a loop tests its condition (scene time below its length) before the
//    first frame, so a length of 0 or less shows no frame;
// 2. at the top of every frame, before drawing, console.key() is asked and a
//    waiting key press ends the loop at once, without consuming it;
// 3. a waiting key press is consumed only at fixed points: at the end of
//    every scene run, and between the loops of the scenes that say so.
#pragma once

#include "shell/pixels/pixel.h"
#include "shell/platform/ptc.h"

struct SceneContext {
  ptc::Console& console;
  ptc::Surface& surface;
};

// Scene time, in which the parameter files give every length and moment,
// runs at this many units per second of the console timer: a frame's step
// is the rate times its timer delta, so 50 units last 8 seconds.
constexpr double scene_units_per_second = 6.25;

// Starts a scene's timer and reads its delta once, the reading discarded:
// the first frame's delta then counts from the moment the scene is ready to
// draw, not from whatever the scene did before, so its first step is (next
// to) nothing.
inline void start_scene_timer(ptc::Timer& timer) {
  timer.start();
  timer.delta();
}

// A fixed reading point of the key rule: a waiting key press is consumed.
inline void consume_waiting_key(ptc::Console& console) {
  if (console.key()) console.read();
}

// The end of every frame: unlock the staging surface, copy it to the
// console and show it.
inline void present_frame(const SceneContext& context) {
  context.surface.unlock();
  context.surface.copy(context.console);
  context.console.update();
}

// What a frame of a loop is composed from.
struct SceneFrame {
  double time;      // scene time at the frame's start, scene-time units
  double step;      // how far this frame moves scene time, scene-time units
  double seconds;   // the timer delta the step comes from, for motions that run per second
  Pixel* surface;   // the locked staging surface, 640 x 480
};

// Where a loop tests for a waiting key: at the top of every frame (the key
// rule), or once before the loop and then at the end of every frame (the
// blobby scene's own order).
enum class KeyTest { frame_start, before_loop_and_frame_end };

// Plays frames from scene time `time` while it stays below `length`: each
// reads the timer delta, locks the surface, lets `compose(const SceneFrame&)`
// draw, presents the frame and advances scene time by the step. A waiting
// key ends the loop where `key_test` says and is left waiting. Returns the
// scene time reached.
template <typename Compose>
double play_frame_loop(const SceneContext& context, ptc::Timer& timer, double time, double length, Compose&& compose,
                       KeyTest key_test = KeyTest::frame_start) {
  const bool at_frame_start = key_test == KeyTest::frame_start;
  if (!at_frame_start && context.console.key()) return time;
  while (time < length) {
    if (at_frame_start && context.console.key()) break;
    const double seconds = timer.delta();
    const double step = scene_units_per_second * seconds;
    Pixel* surface = context.surface.lock();
    compose(SceneFrame{time, step, seconds, surface});
    present_frame(context);
    time += step;
    if (!at_frame_start && context.console.key()) break;
  }
  return time;
}
