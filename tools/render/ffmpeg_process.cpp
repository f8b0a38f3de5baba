// ffmpeg as a child process, by posix_spawnp, with a pipe for its input.
#include "ffmpeg_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <fstream>

extern char** environ;

namespace {

// posix_spawn's attribute and file-action objects, destroyed on every path.
struct SpawnSetup {
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_t actions;
  SpawnSetup() {
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_init(&actions);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;
};

// A group of its own, so that the terminal's Ctrl+C is the renderer's alone,
// and the signals the renderer ignores or catches back to their defaults.
void set_child_signals(posix_spawnattr_t& attributes) {
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGTERM);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
}

std::string spawn_error_text(int code) {
  if (code == ENOENT) {
    return "ffmpeg was not found on PATH; --video needs FFmpeg's ffmpeg program (on Debian: apt-get install ffmpeg)";
  }
  return std::string("cannot run ffmpeg: ") + std::strerror(code);
}

void close_descriptor(int& descriptor) {
  if (descriptor >= 0) close(descriptor);
  descriptor = -1;
}

}  // namespace

FfmpegProcess::~FfmpegProcess() {
  std::string ignored;
  if (pid_ > 0) finish(ignored);  // never killed: it finishes what it has
}

bool FfmpegProcess::start(const std::vector<std::string>& arguments, bool feed, const std::string& log_path,
                          std::string& error) {
  // A write to a pipe whose reader has gone must fail with EPIPE, not end the renderer.
  signal(SIGPIPE, SIG_IGN);
  log_path_ = log_path;
  int ends[2] = {-1, -1};
  if (feed && pipe2(ends, O_CLOEXEC) != 0) {
    error = std::string("cannot make a pipe for ffmpeg: ") + std::strerror(errno);
    return false;
  }

  SpawnSetup setup;
  set_child_signals(setup.attributes);
  if (feed) {
    posix_spawn_file_actions_adddup2(&setup.actions, ends[0], STDIN_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&setup.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  }
  posix_spawn_file_actions_addopen(&setup.actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&setup.actions, STDERR_FILENO, log_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);

  std::vector<std::string> words = {"ffmpeg"};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  const int code = posix_spawnp(&pid_, "ffmpeg", &setup.actions, &setup.attributes, argv.data(), environ);
  close_descriptor(ends[0]);
  if (code != 0) {
    pid_ = -1;
    close_descriptor(ends[1]);
    error = spawn_error_text(code);
    return false;
  }
  pipe_ = ends[1];
  return true;
}

bool FfmpegProcess::write(const void* bytes, std::size_t size) {
  const char* next = static_cast<const char*>(bytes);
  while (size > 0) {
    const ssize_t written = ::write(pipe_, next, size);
    if (written < 0) {
      if (errno == EINTR) continue;  // a signal arrived; the flag it set is read between frames
      return false;
    }
    next += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool FfmpegProcess::finish(std::string& error) {
  close_descriptor(pipe_);
  if (pid_ <= 0) return true;
  int status = 0;
  pid_t done = -1;
  do {
    done = waitpid(pid_, &status, 0);
  } while (done < 0 && errno == EINTR);
  pid_ = -1;
  if (done < 0) {
    error = std::string("lost track of ffmpeg: ") + std::strerror(errno);
    return false;
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  if (WIFEXITED(status)) {
    error = "ffmpeg failed with exit status " + std::to_string(WEXITSTATUS(status));
  } else {
    error = "ffmpeg was ended by signal " + std::to_string(WTERMSIG(status));
  }
  const std::string tail = last_lines(log_path_, 12);
  error += tail.empty() ? " and said nothing" : ". It said:\n" + tail;
  return false;
}

bool run_ffmpeg(const std::vector<std::string>& arguments, const std::string& log_path, std::string& error) {
  FfmpegProcess process;
  return process.start(arguments, false, log_path, error) && process.finish(error);
}

std::string last_lines(const std::string& path, int count) {
  std::ifstream file(path);
  std::deque<std::string> lines;
  for (std::string line; std::getline(file, line);) {
    if (line.empty()) continue;
    lines.push_back(line);
    if (static_cast<int>(lines.size()) > count) lines.pop_front();
  }
  std::string text;
  for (const std::string& line : lines) text += "  " + line + "\n";
  return text;
}
