// The console without a display: a platform of its own for the renderer
// tool and the tests.
//
// - No window and no audio device.
// - A virtual clock: frame n (the n-th console update, from 0) is presented
//   at exactly n / rate seconds; between updates the clock shows the time of
//   the last one, so every frame of a loop reads a delta of 1 / rate.
// - A script of key presses and a quit request at frame numbers: a press "at
//   frame n" is waiting from just before frame n is composed.
// - Every presented frame is handed to a callback.
// The same script gives the same frames every run.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "shell/pixels/screen_buffer.h"
#include "shell/platform/frame_rate.h"
#include "shell/platform/ptc_backend.h"

namespace ptc {

struct HeadlessScript {
  FrameRate rate;
  std::vector<std::int64_t> key_frames;     // one key press before each of these frames
  std::optional<std::int64_t> quit_frame;  // a quit request before this frame
};

// One presented frame, as the callback sees it.
struct HeadlessFrame {
  std::int64_t number = 0;
  double seconds = 0.0;            // on the virtual clock: number / rate
  const Pixel* pixels = nullptr;  // 640 x 480, valid during the callback only
  // Wall time from the first clock read after the previous frame to this
  // update: what composing the frame cost. Untimed when nothing read the
  // clock in between (the loading and between-scene pictures).
  bool timed = false;
  double compose_seconds = 0.0;
};

using FrameSink = std::function<void(const HeadlessFrame&)>;

class HeadlessBackend : public Backend {
 public:
  explicit HeadlessBackend(HeadlessScript script = {}, FrameSink sink = {});

  void open(const OpenRequest& request) override;
  void close() override { open_ = false; }
  NativeWindow* native_window() override { return nullptr; }
  bool key() override;
  bool read() override;
  void load_picture(const Pixel* pixels) override;
  void update() override;
  double seconds() override;

  // A quit request from now on, as if the script had one before the next
  // frame: the renderer's way to end a run early (its scene is done, or the
  // user interrupted it).
  void request_quit() { keys_.request_quit(); }

  // The number the next presented frame gets: frames presented so far.
  std::int64_t frames_presented() const { return frames_presented_; }
  // What the console asked for when it opened.
  const OpenRequest& opened() const { return opened_; }
  bool is_open() const { return open_; }
  // How often the keyboard was tested (key()) and read (read()).
  long key_tests() const { return key_tests_; }
  long key_reads() const { return key_reads_; }

 private:
  using WallClock = std::chrono::steady_clock;

  // Makes the scripted presses and the quit request due by now wait.
  void release_due_keys();

  HeadlessScript script_;
  FrameSink sink_;
  KeyQueue keys_;
  std::size_t next_key_ = 0;
  ScreenBuffer picture_;
  std::int64_t frames_presented_ = 0;
  OpenRequest opened_;
  bool open_ = false;
  long key_tests_ = 0;
  long key_reads_ = 0;
  bool clock_read_since_frame_ = false;
  WallClock::time_point first_clock_read_;
};

}  // namespace ptc
