// Word-picture fades and single-frame flash pictures, on the pixel operations.
#include "scenes/word_flash.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "shell/pixels/pixel_ops.h"
#include "shell/pixels/screen_buffer.h"

namespace {

constexpr double word_flash_ramp = 16.0;  // level lost per unit of distance, and units of the ramp

}  // namespace

int word_flash_level(double scene_time, int moment, int bias) {
  // Worked in doubles: a truncated scene time need not fit an int.
  const double distance = std::fabs(std::trunc(scene_time) - moment);
  const double level = (word_flash_ramp - distance) * word_flash_ramp + bias;
  if (!(level > 0.0)) return 0;  // also a non-finite scene time
  return static_cast<int>(std::min(level, static_cast<double>(word_flash_full_level)));
}

void word_flash_add(const Pixel* word, int level, Pixel* scratch, Pixel* destination) {
  level = std::clamp(level, 1, word_flash_full_level);
  std::memcpy(scratch, word, screen_bytes);
  fade_buffer(pixel_grey(static_cast<unsigned>(word_flash_full_level - level)), scratch);
  add_buffer_saturate(scratch, destination);
}

void word_flash_show(const Pixel* word, double scene_time, int moment, int bias, Pixel* scratch, Pixel* destination) {
  const int level = word_flash_level(scene_time, moment, bias);
  if (level > 0) word_flash_add(word, level, scratch, destination);
}

bool word_flash_frame_show(bool& pending, double scene_time, double moment, const Pixel* picture, Pixel* destination) {
  if (!pending || !(scene_time > moment)) return false;
  std::memcpy(destination, picture, screen_bytes);
  pending = false;
  return true;
}
