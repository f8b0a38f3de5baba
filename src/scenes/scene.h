// What every scene run function receives: the open console and the 640 x 480
// staging surface, console first.
//
// The key rule every frame loop follows:
// 1. a loop tests its condition (scene time below its length) before the
//    first frame, so a length of 0 or less shows no frame;
// 2. at the top of every frame, before drawing, console.key() is asked and a
//    waiting key press ends the loop at once, without consuming it;
// 3. a waiting key press is consumed only at fixed points: at the end of
//    every scene run, and between the loops of the scenes that say so.
#pragma once

#include "shell/platform/ptc.h"

struct SceneContext {
  ptc::Console& console;
  ptc::Surface& surface;
};

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
