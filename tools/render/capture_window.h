// Which presented frames a capture takes, and where its sound starts.
//
// The music starts right before the first scene runs, and that scene's
// first frame reads a timer delta of (nearly) 0: the first frame presented
// after the start shows scene time 0 while the module plays from its start.
// So the music's origin is the first frame presented after the sequence
// starts its first scene (the loading picture before it is shown during the
// silent start-up), and a frame presented k frames after the origin plays
// with the module at k / FPS seconds. Between-scene pictures are frames of
// the capture like any other: the virtual clock, and the music, go on while
// they are shown.
//
// The capture is one run of consecutive frames: from the origin to the end
// of the run, or the frames of one chosen scene. It closes early when asked
// (an interrupted run): no later frame joins it.
#pragma once

#include <cstdint>
#include <string>

#include "shell/platform/ptc_headless.h"
#include "shell/sequence/sequence.h"

class CaptureWindow : public SequenceObserver {
 public:
  // `scene` empty: everything from the music's origin on.
  explicit CaptureWindow(std::string scene) : scene_(std::move(scene)) {}

  void before(const SequenceEvent& event) override;
  // Told of every presented frame, in order; true when it joins the capture.
  bool take(const ptc::HeadlessFrame& frame);
  // No frame joins from now on.
  void close() { closed_ = true; }

  // True once the chosen scene has finished: the run has nothing more to capture.
  bool scene_done() const { return scene_done_; }
  bool has_origin() const { return origin_ >= 0; }
  // The number of the first frame after the music starts.
  std::int64_t origin() const { return origin_; }
  // The first captured frame's number, and how many followed it; 0 frames
  // when nothing was captured.
  std::int64_t first_frame() const { return first_frame_; }
  std::int64_t frame_count() const { return frame_count_; }
  // How many frames after the origin the capture starts: where its sound starts.
  std::int64_t frames_after_origin() const { return first_frame_ - origin_; }

 private:
  std::string scene_;
  std::int64_t frames_presented_ = 0;
  std::int64_t origin_ = -1;
  bool in_chosen_scene_ = false;
  bool scene_done_ = false;
  bool closed_ = false;
  std::int64_t first_frame_ = 0;
  std::int64_t frame_count_ = 0;
};
