// The demo against broken data: every file in data/ in turn missing, cut to
// half its length, and replaced by random bytes of the same length (seeded:
// the same bytes every run). For each, the whole sequence plays headless to
// its end with the program's own messages and without a crash, a hang or a
// sanitizer report.
//
// Each case runs quorvane-render as a child process beside a private copy
// of data/, at half a frame a second with a key every 20 frames: every
// frame loop draws frames (so broken paths and parameters reach the frame
// code too) yet none lasts long, whatever length a broken parameter file
// asks for. The headless run plays no music: for the module, --wav renders
// the soundtrack from it. Two cases run at once. The list of files is read
// from data/, so scenes and files that arrive later are covered as they
// come; a missing file must be reported when an unbroken run opens it
// (watched with inotify), which a stand-in scene's files are not.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "support/render_tool.h"

namespace {

namespace fs = std::filesystem;

constexpr double case_timeout_seconds = 90;
constexpr int parallel_cases = 2;

enum class Fault { missing, truncated, random_bytes };

const char* fault_name(Fault fault) {
  switch (fault) {
    case Fault::missing: return "missing";
    case Fault::truncated: return "cut to half";
    case Fault::random_bytes: return "random bytes";
  }
  return "?";
}

std::string every_twentieth_frame() {
  std::string keys;
  for (int frame = 20; frame <= 4000; frame += 20) keys += (keys.empty() ? "" : ",") + std::to_string(frame);
  return keys;
}

fs::path pristine_data() { return fs::path(QUORVANE_BINARY_DIR) / "data"; }

std::vector<std::string> data_files() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(pristine_data())) {
    const std::string name = entry.path().filename().string();
    if (entry.is_regular_file() && name[0] != '.') names.push_back(name);  // not the folder's .keep
  }
  std::sort(names.begin(), names.end());
  return names;
}

// A folder holding the renderer and a data/ of its own: the renderer finds
// the data beside its executable, so a hard link to it (a copy where links
// cannot be made) plays from this folder's data/.
class Workspace {
 public:
  explicit Workspace(const std::string& name) : scratch_(name) {
    const fs::path program = binary_path("quorvane-render");
    std::error_code error;
    fs::create_hard_link(program, renderer(), error);
    if (error) fs::copy_file(program, renderer());
    fs::copy(pristine_data(), data());
  }

  fs::path renderer() const { return scratch_.path() / "quorvane-render"; }
  fs::path data() const { return scratch_.path() / "data"; }
  fs::path sound() const { return scratch_.path() / "sound.wav"; }

  void break_file(const std::string& name, Fault fault) const {
    const fs::path path = data() / name;
    const std::uintmax_t size = fs::file_size(path);
    switch (fault) {
      case Fault::missing: fs::remove(path); break;
      case Fault::truncated: fs::resize_file(path, size / 2); break;
      case Fault::random_bytes: {
        // Seeded by the name, so each file has its own bytes and every run the same.
        std::seed_seq seed(name.begin(), name.end());
        std::mt19937 generator(seed);
        std::string bytes(size, '\0');
        for (char& byte : bytes) byte = static_cast<char>(generator() & 0xff);
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        break;
      }
    }
  }

  void restore(const std::string& name) const {
    fs::copy_file(pristine_data() / name, data() / name, fs::copy_options::overwrite_existing);
  }

 private:
  ScratchFolder scratch_;
};

bool is_module(const std::string& name) { return name.size() > 3 && name.compare(name.size() - 3, 3, ".it") == 0; }

const std::string& keys_every_twentieth_frame() {
  static const std::string keys = every_twentieth_frame();
  return keys;
}

ChildOptions run_options(const Workspace& workspace, bool render_sound) {
  std::vector<std::string> arguments = {"--fps", "0.5", "--keys", keys_every_twentieth_frame()};
  if (render_sound) arguments.insert(arguments.end(), {"--wav", workspace.sound().string()});
  return render_options(arguments, "/");
}

// The names of the data files an unbroken run opens.
std::set<std::string> files_opened_by_a_run() {
  static const std::set<std::string> opened = [] {
    Workspace workspace("faults-watched");
    std::set<std::string> names;
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch < 0 || inotify_add_watch(watch, workspace.data().c_str(), IN_OPEN) < 0) {
      ADD_FAILURE() << "inotify: " << std::strerror(errno);
      return names;
    }
    const ChildResult result =
        run_child(workspace.renderer().string(), run_options(workspace, true), case_timeout_seconds);
    EXPECT_TRUE(result.exited && result.status == 0) << "the unbroken run: " << result.describe();
    alignas(inotify_event) char events[64 * 1024];
    for (ssize_t size; (size = read(watch, events, sizeof events)) > 0;) {
      for (char* at = events; at < events + size;) {
        const auto* event = reinterpret_cast<const inotify_event*>(at);
        if (event->len > 0) names.insert(event->name);
        at += sizeof(inotify_event) + event->len;
      }
    }
    close(watch);
    return names;
  }();
  return opened;
}

bool is_parameter_file(const std::string& name) {
  return name.size() > 5 && name.compare(name.size() - 5, 5, ".conf") == 0;
}

// What is wrong with one case's run; empty when nothing is.
std::string problems(const std::string& file, Fault fault, const ChildResult& result) {
  const std::string output = result.out + result.err;
  std::string found;
  if (result.timed_out) {
    // Keys end every loop within 20 frames, so only a frame that never ends,
    // or frames slowed beyond reason by what a broken file asks for, get
    // here. A broken parameter file may rightly ask for that much work (a
    // length or a count that is huge): not a fault of the program.
    if (fault != Fault::missing && is_parameter_file(file)) {
      std::printf("note: data/%s %s: the run hit its time bound, as its parameters may ask\n", file.c_str(),
                  fault_name(fault));
      return {};
    }
    found += " did not end within " + std::to_string(static_cast<int>(case_timeout_seconds)) + " s;";
  } else if (!result.exited || result.status != 0) {
    found += " " + result.describe() + ";";
  }
  for (const char* report : {"AddressSanitizer", "LeakSanitizer", "runtime error"}) {
    if (output.find(report) != std::string::npos) found += std::string(" a ") + report + " report;";
  }
  if (fault == Fault::missing && files_opened_by_a_run().count(file) == 0) {
    std::printf("note: no unbroken run opens data/%s (a scene still standing in?)\n", file.c_str());
  } else if (fault == Fault::missing && output.find("data/" + file) == std::string::npos) {
    found += " no message names data/" + file + ";";
  }
  return found;
}

// Plays the sequence once per data file with that file broken by `fault`,
// two cases at a time; fails for each case that went wrong.
void play_with_each_file_broken(Fault fault) {
  const std::vector<std::string> files = data_files();
  ASSERT_GT(files.size(), 30u) << "data/ is not beside the tests";
  std::vector<std::unique_ptr<Workspace>> workspaces;
  for (int i = 0; i < parallel_cases; ++i) {
    workspaces.push_back(std::make_unique<Workspace>("faults-" + std::to_string(i)));
  }
  for (std::size_t first = 0; first < files.size(); first += parallel_cases) {
    std::vector<std::unique_ptr<ChildProcess>> running;
    for (std::size_t i = 0; i < parallel_cases && first + i < files.size(); ++i) {
      const Workspace& workspace = *workspaces[i];
      const std::string& file = files[first + i];
      workspace.break_file(file, fault);
      running.push_back(
          std::make_unique<ChildProcess>(workspace.renderer().string(), run_options(workspace, is_module(file))));
    }
    for (std::size_t i = 0; i < running.size(); ++i) {
      const std::string& file = files[first + i];
      const ChildResult result = running[i]->wait(case_timeout_seconds);
      workspaces[i]->restore(file);
      const std::string found = problems(file, fault, result);
      EXPECT_TRUE(found.empty()) << "data/" << file << " " << fault_name(fault) << ":" << found
                                 << "\nstandard output:\n" << result.out << "standard error:\n" << result.err;
    }
  }
}

TEST(DataFaults, EachFileMissingIsReportedAndTheSequencePlaysOn) { play_with_each_file_broken(Fault::missing); }

TEST(DataFaults, EachFileCutToHalfLeavesTheSequencePlaying) { play_with_each_file_broken(Fault::truncated); }

TEST(DataFaults, EachFileOfRandomBytesLeavesTheSequencePlaying) { play_with_each_file_broken(Fault::random_bytes); }

}  // namespace
