// Child processes for tests, by fork and exec, with output in unlinked
// temporary files.
#include "support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <sstream>
#include <thread>

namespace {

// A temporary file already unlinked, so that nothing stays behind even when
// the test process is killed; -1 on failure.
int anonymous_file(const char* tag) {
  std::string path = std::string("/tmp/quorvane-test-") + tag + "-XXXXXX";
  const int fd = mkostemp(path.data(), O_CLOEXEC);
  if (fd >= 0) unlink(path.c_str());
  return fd;
}

// Everything written to `fd` so far, read from its start.
std::string read_all(int fd) {
  std::string text;
  char buffer[4096];
  off_t offset = 0;
  for (ssize_t got; fd >= 0 && (got = pread(fd, buffer, sizeof buffer, offset)) > 0; offset += got) {
    text.append(buffer, static_cast<std::size_t>(got));
  }
  return text;
}

// Everything exec needs, built before fork: after fork only calls that are
// safe in a child of a threaded process remain.
struct Launch {
  std::vector<std::string> argument_text, environment_text;
  std::vector<char*> argv, envp;
};

Launch prepare_launch(const std::string& program, const ChildOptions& options) {
  Launch launch;
  launch.argument_text.push_back(program);
  launch.argument_text.insert(launch.argument_text.end(), options.arguments.begin(), options.arguments.end());
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('='));
    if (options.environment.count(name) == 0) launch.environment_text.push_back(text);
  }
  for (const auto& [name, value] : options.environment) {
    if (value) launch.environment_text.push_back(name + "=" + *value);
  }
  for (std::string& text : launch.argument_text) launch.argv.push_back(text.data());
  launch.argv.push_back(nullptr);
  for (std::string& text : launch.environment_text) launch.envp.push_back(text.data());
  launch.envp.push_back(nullptr);
  return launch;
}

[[noreturn]] void become(const Launch& launch, const ChildOptions& options, int out, int err) {
  if (!options.working_directory.empty() && chdir(options.working_directory.c_str()) != 0) _exit(126);
  const int null = open("/dev/null", O_RDONLY);
  if (out < 0 || err < 0 || null < 0) _exit(126);
  dup2(null, 0);
  dup2(out, 1);
  dup2(err, 2);
  execve(launch.argv[0], launch.argv.data(), launch.envp.data());
  _exit(127);
}

}  // namespace

std::string ChildResult::describe() const {
  std::ostringstream text;
  if (timed_out) {
    text << "did not end in time";
  } else if (exited) {
    text << "exited with status " << status;
  } else {
    text << "was ended by signal " << signal;
  }
  text << "; standard error: \"" << err << "\"";
  return text.str();
}

ChildProcess::ChildProcess(const std::string& program, const ChildOptions& options)
    : out_fd_(anonymous_file("out")), err_fd_(anonymous_file("err")) {
  const Launch launch = prepare_launch(program, options);
  pid_ = fork();
  if (pid_ == 0) become(launch, options, out_fd_, err_fd_);
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !reaped_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (out_fd_ >= 0) close(out_fd_);
  if (err_fd_ >= 0) close(err_fd_);
}

bool ChildProcess::running() const {
  if (pid_ <= 0 || reaped_) return false;
  siginfo_t info{};
  // WNOWAIT: look without reaping, so wait() still collects the status.
  if (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0) return false;
  return info.si_pid == 0;
}

std::string ChildProcess::err_so_far() const { return read_all(err_fd_); }

ChildResult ChildProcess::wait(double timeout_seconds) {
  ChildResult result;
  if (pid_ <= 0) {
    result.err = "fork failed";
    return result;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout_seconds);
  int status = 0;
  while (!reaped_) {
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      reaped_ = true;
    } else if (std::chrono::steady_clock::now() > deadline) {
      result.timed_out = true;
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      reaped_ = true;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  if (!result.timed_out) {
    result.exited = WIFEXITED(status);
    result.status = result.exited ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  }
  result.out = read_all(out_fd_);
  result.err = read_all(err_fd_);
  return result;
}

ChildResult run_child(const std::string& program, const ChildOptions& options, double timeout_seconds) {
  ChildProcess child(program, options);
  return child.wait(timeout_seconds);
}

std::string binary_path(const std::string& name) { return std::string(QUORVANE_BINARY_DIR) + "/" + name; }
