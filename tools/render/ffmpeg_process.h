// Running the ffmpeg program: started from PATH, optionally fed through a
// pipe on its standard input, its messages kept in a log file so that a
// failure can show their last lines.
//
// ffmpeg runs in a process group of its own: a Ctrl+C typed at the terminal
// reaches the renderer only, which then closes the pipe so that ffmpeg
// finishes the file properly instead of dying halfway.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

class FfmpegProcess {
 public:
  FfmpegProcess() = default;
  ~FfmpegProcess();
  FfmpegProcess(const FfmpegProcess&) = delete;
  FfmpegProcess& operator=(const FfmpegProcess&) = delete;

  // Starts `ffmpeg arguments...` with its standard error going to
  // `log_path`, and its standard input a pipe when `feed` is true (else
  // /dev/null). False, with the reason in `error`, when it cannot start;
  // a missing ffmpeg says how to install it.
  bool start(const std::vector<std::string>& arguments, bool feed, const std::string& log_path, std::string& error);

  // Writes all of `bytes` to the pipe. False when ffmpeg no longer reads it.
  bool write(const void* bytes, std::size_t size);

  // Closes the pipe, so that ffmpeg sees the end of its input, and waits for
  // it to finish. True when it exited with status 0; otherwise `error` says
  // how it ended, followed by the end of its log.
  bool finish(std::string& error);

 private:
  pid_t pid_ = -1;
  int pipe_ = -1;
  std::string log_path_;
};

// Runs ffmpeg with no input pipe to its end; as finish().
bool run_ffmpeg(const std::vector<std::string>& arguments, const std::string& log_path, std::string& error);

// The last `count` lines of a text file, for error messages.
std::string last_lines(const std::string& path, int count);
