// The scene test rig.
#include "scene_rig.h"

#include <algorithm>
#include <cstdio>
#include <string>

SceneRig::SceneRig(FrameRate rate, std::vector<std::int64_t> key_frames)
    : backend(ptc::HeadlessScript{rate, std::move(key_frames), {}},
              [this](const ptc::HeadlessFrame& frame) { frames.emplace_back(frame.pixels, frame.pixels + screen_pixels); }),
      console(backend),
      surface(screen_width, screen_height, ptc::program_format()) {
  console.open("scene test", screen_width, screen_height, ptc::program_format(), 0);
  console.update();  // the loading picture
  frames.clear();
  shared_pictures_allocate(memory, shared);
}

std::vector<double> loop_frame_times(FrameRate rate, double length, double start, bool first_delta_zero) {
  std::vector<double> times;
  const double step = 6.25 * (rate.seconds_at(1) - rate.seconds_at(0));
  double time = start;
  bool first = first_delta_zero;
  while (time < length) {
    times.push_back(time);
    time += first ? 0.0 : step;
    first = false;
  }
  return times;
}

std::string pixel_text(Pixel p) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%06X", static_cast<unsigned>(p));
  return text;
}

std::vector<std::int64_t> scene_key_frames(std::vector<std::int64_t> scene_frames) {
  for (std::int64_t& frame : scene_frames) ++frame;
  return scene_frames;
}

std::string vector_text(const Vector3& v) {
  return "(" + std::to_string(v.x) + ", " + std::to_string(v.y) + ", " + std::to_string(v.z) + ")";
}

void fill(ScreenBuffer& buffer, Pixel value) { std::fill(buffer.pixels(), buffer.pixels() + screen_pixels, value); }

int lit_pixels(const Pixel* picture) {
  return static_cast<int>(std::count_if(picture, picture + screen_pixels, [](Pixel p) { return p != 0; }));
}
