// Capturing the run as a video file with FFmpeg, in two passes.
//
// 1. While the demo plays, its frames go raw (32-bit pixels, no conversion)
//    through a pipe to an ffmpeg that encodes the pictures alone into a
//    temporary NUT file beside the output; NUT keeps the exact frame rate.
// 2. Once the run is over, and so its length known to the frame, a second
//    ffmpeg copies those pictures untouched and encodes the sound beside
//    them into the output file.
// The sound is thus cut to exactly the frames captured, whether the run
// ended, was cut short by keys or was interrupted, and nothing has to wait
// on ffmpeg reading two inputs in step.
//
// Formats: H.264 (x264, constant rate factor, 4:2:0) with 192 kbit/s AAC in
// MP4 by default; with lossless, FFV1 keeping the RGB pixels exactly and
// FLAC in Matroska (whose millisecond timestamps round each frame's time by
// under half a millisecond, never adding up).
#pragma once

#include <filesystem>
#include <string>

#include "ffmpeg_process.h"
#include "render_options.h"
#include "shell/audio/module_render.h"
#include "shell/pixels/pixel.h"

class VideoCapture {
 public:
  VideoCapture() = default;
  ~VideoCapture();
  VideoCapture(const VideoCapture&) = delete;
  VideoCapture& operator=(const VideoCapture&) = delete;

  // Makes the temporary folder beside settings.video_path and starts the
  // encoder. False, with the reason in `error`, when either fails.
  bool start(const RenderSettings& settings, std::string& error);
  // One frame of settings.width() x settings.height() pixels, rows back to
  // back. False when the encoder has stopped reading.
  bool add_frame(const Pixel* pixels);
  // Ends the pictures and writes the output file with `audio` beside them.
  // False, with the reason in `error`, when ffmpeg fails.
  bool finish(const PcmAudio& audio, std::string& error);

 private:
  RenderSettings settings_;
  std::filesystem::path folder_;  // the temporary folder; removed with the capture
  FfmpegProcess encoder_;
};
