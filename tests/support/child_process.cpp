// Child processes for tests, by fork and exec, with output in memory files:
// nothing stays behind even when the test process is killed.
#include "support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace {

std::string read_all(int fd) {
  std::string text;
  char buffer[4096];
  off_t offset = 0;
  for (ssize_t got; fd >= 0 && (got = pread(fd, buffer, sizeof buffer, offset)) > 0; offset += got)
    text.append(buffer, static_cast<std::size_t>(got));
  return text;
}

}  // namespace

std::string ChildResult::describe() const {
  const std::string end = timed_out ? "did not end in time"
                          : exited  ? "exited with status " + std::to_string(status)
                                    : "was ended by signal " + std::to_string(signal);
  return end + "; standard error: \"" + err + "\"";
}

ChildProcess::ChildProcess(const std::string& program, const ChildOptions& options)
    : out_fd_(memfd_create("child-out", MFD_CLOEXEC)), err_fd_(memfd_create("child-err", MFD_CLOEXEC)) {
  // Everything exec needs is built before fork: a child of a threaded
  // process may only make async-signal-safe calls.
  std::vector<std::string> arguments = {program}, environment;
  arguments.insert(arguments.end(), options.arguments.begin(), options.arguments.end());
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    if (options.environment.count(text.substr(0, text.find('='))) == 0) environment.push_back(text);
  }
  for (const auto& [name, value] : options.environment)
    if (value) environment.push_back(name + "=" + *value);
  std::vector<char*> argv, envp;
  for (std::string& text : arguments) argv.push_back(text.data());
  for (std::string& text : environment) envp.push_back(text.data());
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  const int null = open("/dev/null", O_RDONLY | O_CLOEXEC);
  pid_ = fork();
  if (pid_ != 0) {
    if (null >= 0) close(null);
    return;
  }
  prctl(PR_SET_PDEATHSIG, SIGTERM);  // a test that dies takes its children along
  const char* directory = options.working_directory.c_str();
  if ((*directory != '\0' && chdir(directory) != 0) || out_fd_ < 0 || err_fd_ < 0 || null < 0) _exit(126);
  dup2(null, 0);
  dup2(out_fd_, 1);
  dup2(err_fd_, 2);
  execve(argv[0], argv.data(), envp.data());
  _exit(127);
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
  siginfo_t info{};
  // WNOWAIT: look without reaping, so that wait() still collects the status.
  return pid_ > 0 && !reaped_ && waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
         info.si_pid == 0;
}

std::string ChildProcess::out_so_far() const { return read_all(out_fd_); }
std::string ChildProcess::err_so_far() const { return read_all(err_fd_); }

ChildResult ChildProcess::wait(double timeout_seconds) {
  ChildResult result;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout_seconds);
  int status = 0;
  while (pid_ > 0 && !reaped_ && waitpid(pid_, &status, WNOHANG) != pid_) {
    if (std::chrono::steady_clock::now() > deadline) {
      result.timed_out = true;
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  reaped_ = true;
  if (pid_ > 0 && !result.timed_out) {
    result.exited = WIFEXITED(status);
    result.status = result.exited ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  }
  result.out = read_all(out_fd_);
  result.err = pid_ > 0 ? read_all(err_fd_) : "fork failed";
  return result;
}

ChildResult run_child(const std::string& program, const ChildOptions& options, double timeout_seconds) {
  return ChildProcess(program, options).wait(timeout_seconds);
}

std::string binary_path(const std::string& name) { return std::string(QUORVANE_BINARY_DIR) + "/" + name; }
