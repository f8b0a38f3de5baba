// The headless console: virtual frame clock, scripted keys, frames handed out.
#include "shell/platform/ptc_headless.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace ptc {

HeadlessBackend::HeadlessBackend(HeadlessScript script, FrameSink sink)
    : script_(std::move(script)), sink_(std::move(sink)) {
  std::sort(script_.key_frames.begin(), script_.key_frames.end());
}

void HeadlessBackend::open(const OpenRequest& request) {
  opened_ = request;
  open_ = true;
}

bool HeadlessBackend::key() {
  ++key_tests_;
  release_due_keys();
  return keys_.waiting();
}

bool HeadlessBackend::read() {
  ++key_reads_;
  release_due_keys();
  return keys_.consume();
}

void HeadlessBackend::load_picture(const Pixel* pixels) { std::memcpy(picture_.pixels(), pixels, screen_bytes); }

void HeadlessBackend::update() {
  HeadlessFrame frame;
  frame.number = frames_presented_;
  frame.seconds = script_.rate.seconds_at(frames_presented_);
  frame.pixels = picture_.pixels();
  frame.timed = clock_read_since_frame_;
  if (frame.timed) frame.compose_seconds = std::chrono::duration<double>(WallClock::now() - first_clock_read_).count();
  clock_read_since_frame_ = false;
  ++frames_presented_;
  if (sink_) sink_(frame);
}

double HeadlessBackend::seconds() {
  if (!clock_read_since_frame_) {
    clock_read_since_frame_ = true;
    first_clock_read_ = WallClock::now();
  }
  // The time of the last presented frame; 0 before the first.
  return frames_presented_ == 0 ? 0.0 : script_.rate.seconds_at(frames_presented_ - 1);
}

void HeadlessBackend::release_due_keys() {
  while (next_key_ < script_.key_frames.size() && script_.key_frames[next_key_] <= frames_presented_) {
    keys_.press();
    ++next_key_;
  }
  if (script_.quit_frame && *script_.quit_frame <= frames_presented_) keys_.request_quit();
}

}  // namespace ptc
