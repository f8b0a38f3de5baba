// The capture's frames: from the music's origin, or one scene's run.
#include "capture_window.h"

void CaptureWindow::before(const SequenceEvent& event) {
  const bool scene_starts = event.step == SequenceStep::run_scene;
  if (scene_starts && origin_ < 0) origin_ = frames_presented_;  // the music started just before
  if (in_chosen_scene_) {
    // Whatever step follows the chosen scene's run, the scene's frames are all in.
    in_chosen_scene_ = false;
    scene_done_ = true;
  } else if (scene_starts && !scene_.empty() && event.name == scene_) {
    in_chosen_scene_ = true;
  }
}

bool CaptureWindow::take(const ptc::HeadlessFrame& frame) {
  ++frames_presented_;
  const bool wanted = scene_.empty() ? origin_ >= 0 : in_chosen_scene_;
  if (!wanted || closed_) return false;
  if (frame_count_ == 0) first_frame_ = frame.number;
  ++frame_count_;
  return true;
}
