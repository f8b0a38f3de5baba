// Running the project's programs from tests: a child process with its own
// environment and working directory, its output captured, and a deadline.
#pragma once

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

struct ChildOptions {
  std::vector<std::string> arguments;  // argv[1..]
  // Changes to the test's environment: a value sets the variable, std::nullopt removes it.
  std::map<std::string, std::optional<std::string>> environment;
  std::string working_directory;  // empty: the test's own
};

struct ChildResult {
  bool exited = false;  // ended by exit, not by a signal or the deadline
  int status = -1;      // exit status when `exited`
  int signal = 0;       // the signal that ended it, if any
  bool timed_out = false;
  std::string out, err;
  std::string describe() const;  // for messages: how the child ended and its standard error
};

class ChildProcess {
 public:
  ChildProcess(const std::string& program, const ChildOptions& options);
  ~ChildProcess();  // kills a child still running
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  bool running() const;             // not ended yet (an ended child stays unreaped)
  std::string out_so_far() const;   // standard output up to now
  std::string err_so_far() const;   // standard error up to now
  ChildResult wait(double timeout_seconds);  // to the end, killing the child past the deadline

 private:
  pid_t pid_ = -1;
  int out_fd_ = -1, err_fd_ = -1;  // the child's standard output and error
  bool reaped_ = false;
};

// Runs `program` to its end (or the deadline).
ChildResult run_child(const std::string& program, const ChildOptions& options, double timeout_seconds);
// A program in the build's directory, where data/ lives too.
std::string binary_path(const std::string& name);
