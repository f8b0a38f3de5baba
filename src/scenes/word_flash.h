// The word and flash pictures the starwarp, particles and blobby scenes lay
// over their frames at set moments.
//
// A word picture fades in and out around its moment (whole scene-time units):
// with d the distance of the truncated scene time from the moment, its level
// is (16 - d) x 16 + bias, at most 256. With the demo's bias of 50 it shows
// in full within 3 units of the moment (level 256), at 242 four units away,
// at 2 nineteen units away and not at all from 20 on. T = 49.9 counts as 49.
//
// A flash picture replaces a whole frame once: in the first frame whose scene
// time is past its moment (strictly: a frame at exactly the moment is not it).
#pragma once

#include "shell/pixels/pixel.h"

constexpr int word_flash_full_level = 256;

// The level (0..256) of a word picture with `moment` at `scene_time`; 0 hides
// it. Any scene time is accepted, however large or non-finite.
int word_flash_level(double scene_time, int moment, int bias);

// Adds `word` onto `destination` darkened by 256 - `level` (per byte, with
// saturation); `scratch` receives the darkened copy. `level` is 1..256.
void word_flash_add(const Pixel* word, int level, Pixel* scratch, Pixel* destination);

// word_flash_level, then word_flash_add when the level is above 0.
void word_flash_show(const Pixel* word, double scene_time, int moment, int bias, Pixel* scratch, Pixel* destination);

// While `pending`, and once `scene_time` is past `moment`: copies `picture`
// over the whole of `destination` and clears `pending`. True when it did.
bool word_flash_frame_show(bool& pending, double scene_time, double moment, const Pixel* picture, Pixel* destination);
