// The demo against broken data: every file in data/ in turn missing, cut to
// half its length, replaced by seeded random bytes of the same length, and
// (parameter and path files) with every value replaced by an extreme. For
// each, the whole sequence plays headless to its end with the program's own
// messages, without a crash, a hang or a sanitizer report.
//
// Each case runs quorvane-render beside a private copy of data/, two cases
// at once, at half a frame a second with a key every 20 frames: every frame
// loop draws frames (so broken values reach the frame code) yet none lasts
// long. For the module, --wav renders the soundtrack. The files are listed
// from data/, so later files are covered as they come; a missing file must
// be reported when an unbroken run opens it (watched with inotify).
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
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "support/render_tool.h"

namespace {

namespace fs = std::filesystem;

constexpr double case_timeout_seconds = 90;
constexpr int parallel_cases = 2;

enum class Fault { missing, truncated, random_bytes, extreme_values };

// One case: a data file and what is done to it.
struct Breakage {
  std::string file;
  Fault fault;
  std::string value;  // for extreme_values: what every value becomes

  std::string describe() const {
    switch (fault) {
      case Fault::missing: return "data/" + file + " missing";
      case Fault::truncated: return "data/" + file + " cut to half";
      case Fault::random_bytes: return "data/" + file + " of random bytes";
      case Fault::extreme_values: return "data/" + file + " with every value " + value;
    }
    return file;
  }
};

// What every value of a parameter or path file becomes in turn: limits of
// int and double, and what no reader should take as a number.
const char* const extreme_values[] = {"0", "-1000000000", "2147483648", "1e300", "-1e300", "nan", "inf"};

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

// The data files' marker format: a line "` v1 v2 ..." holds values, any
// other line is a comment. Every value becomes `value`, comments stay.
std::string with_every_value(const std::string& text, const std::string& value) {
  std::istringstream lines(text);
  std::string result;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("` ", 0) == 0) {
      std::istringstream tokens(line.substr(2));
      line = "`";
      for (std::string token; tokens >> token;) line += " " + value;
    }
    result += line + "\n";
  }
  return result;
}

bool has_marked_values(const std::string& text) { return text.rfind("` ", 0) == 0 || text.find("\n` ") != std::string::npos; }

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

  void break_file(const Breakage& breakage) const {
    const std::string& name = breakage.file;
    const fs::path path = data() / name;
    const std::uintmax_t size = fs::file_size(path);
    switch (breakage.fault) {
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
      case Fault::extreme_values: {
        const std::string text = with_every_value(read_file_bytes(path), breakage.value);
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
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

bool ends_with(const std::string& name, const std::string& suffix) {
  return name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

ChildOptions run_options(const Workspace& workspace, bool render_sound) {
  static const std::string keys_every_twentieth_frame = [] {
    std::string keys;
    for (int frame = 20; frame <= 4000; frame += 20) keys += (keys.empty() ? "" : ",") + std::to_string(frame);
    return keys;
  }();
  std::vector<std::string> arguments = {"--fps", "0.5", "--keys", keys_every_twentieth_frame};
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

// What is wrong with one case's run; empty when nothing is.
std::string problems(const Breakage& breakage, const ChildResult& result) {
  const std::string output = result.out + result.err;
  const std::string& file = breakage.file;
  std::string found;
  if (result.timed_out) {
    // Keys end every loop within 20 frames, so only a frame that never ends,
    // or frames slowed beyond reason by what a broken file asks for, get
    // here. A broken parameter file may rightly ask for that much work (a
    // length or a count that is huge): not a fault of the program.
    if (breakage.fault != Fault::missing && ends_with(file, ".conf")) {
      std::printf("note: %s: the run hit its time bound, as its parameters may ask\n", breakage.describe().c_str());
      return {};
    }
    found += " did not end within " + std::to_string(static_cast<int>(case_timeout_seconds)) + " s;";
  } else if (!result.exited || result.status != 0) {
    found += " " + result.describe() + ";";
  }
  for (const char* report : {"AddressSanitizer", "LeakSanitizer", "runtime error"}) {
    if (output.find(report) != std::string::npos) found += std::string(" a ") + report + " report;";
  }
  if (breakage.fault == Fault::missing && files_opened_by_a_run().count(file) == 0) {
    std::printf("note: no unbroken run opens data/%s (a scene still standing in?)\n", file.c_str());
  } else if (breakage.fault == Fault::missing && output.find("data/" + file) == std::string::npos) {
    found += " no message names data/" + file + ";";
  }
  return found;
}

// Plays the sequence once per case, two at a time; fails for each case
// that went wrong.
void play_each(const std::vector<Breakage>& cases) {
  // Folders of their own per test: ctest may run the tests side by side.
  const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  std::vector<std::unique_ptr<Workspace>> workspaces;
  for (int i = 0; i < parallel_cases; ++i) {
    workspaces.push_back(std::make_unique<Workspace>("faults-" + test + "-" + std::to_string(i)));
  }
  for (std::size_t first = 0; first < cases.size(); first += parallel_cases) {
    std::vector<std::unique_ptr<ChildProcess>> running;
    for (std::size_t i = 0; i < parallel_cases && first + i < cases.size(); ++i) {
      const Workspace& workspace = *workspaces[i];
      workspace.break_file(cases[first + i]);
      running.push_back(std::make_unique<ChildProcess>(workspace.renderer().string(),
                                                       run_options(workspace, ends_with(cases[first + i].file, ".it"))));
    }
    for (std::size_t i = 0; i < running.size(); ++i) {
      const Breakage& breakage = cases[first + i];
      const ChildResult result = running[i]->wait(case_timeout_seconds);
      workspaces[i]->restore(breakage.file);
      const std::string found = problems(breakage, result);
      EXPECT_TRUE(found.empty()) << breakage.describe() << ":" << found << "\nstandard output:\n"
                                 << result.out << "standard error:\n" << result.err;
    }
  }
}

void play_with_each_file(Fault fault) {
  const std::vector<std::string> files = data_files();
  ASSERT_GT(files.size(), 30u) << "data/ is not beside the tests";
  std::vector<Breakage> cases;
  for (const std::string& file : files) cases.push_back({file, fault, ""});
  play_each(cases);
}

TEST(DataFaults, EachFileMissingIsReportedAndTheSequencePlaysOn) { play_with_each_file(Fault::missing); }

TEST(DataFaults, EachFileCutToHalfLeavesTheSequencePlaying) { play_with_each_file(Fault::truncated); }

TEST(DataFaults, EachFileOfRandomBytesLeavesTheSequencePlaying) { play_with_each_file(Fault::random_bytes); }

// Random bytes seldom make a parameter or path file that reads at all:
// these keep the format and put limits where the numbers were.
TEST(DataFaults, EachParameterAndPathFileWithExtremeValuesLeavesTheSequencePlaying) {
  std::vector<Breakage> cases;
  for (const std::string& file : data_files()) {
    if (!has_marked_values(read_file_bytes(pristine_data() / file))) continue;
    for (const char* value : extreme_values) cases.push_back({file, Fault::extreme_values, value});
  }
  ASSERT_GE(cases.size(), 10 * std::size(extreme_values)) << "fewer parameter and path files than the demo has";
  play_each(cases);
}

}  // namespace
