// Loading a tracker module into libopenmpt, with libopenmpt's warnings and
// errors handed to us instead of printed by the library. Shared by the
// player and the offline renderer.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct openmpt_module;

struct ModuleDeleter {
  void operator()(openmpt_module* module) const;
};
using ModulePtr = std::unique_ptr<openmpt_module, ModuleDeleter>;

enum class ModuleLoadFailure { none, file_unreadable, not_a_module, out_of_memory };

// libopenmpt's messages about one module. libopenmpt may call back at any
// time in the module's life, so the log must outlive the module. Messages
// raised on an audio thread (see AudioThreadMark) are only counted there:
// that thread must not allocate.
struct ModuleLog {
  std::vector<std::string> messages;
  std::atomic<unsigned> unreported{0};
};

struct LoadedModule {
  ModulePtr module;  // null on failure
  ModuleLoadFailure failure = ModuleLoadFailure::none;
};

// Reads the file at `path` (from byte `offset`, `length` bytes or, with
// length 0, to its end) and loads it. A part beyond the file's end is
// unreadable.
LoadedModule load_module_file(const char* path, std::uint64_t offset, std::uint64_t length, ModuleLog& log);
// Loads the `size` bytes at `data`; libopenmpt keeps its own copy.
LoadedModule load_module_memory(const void* data, std::size_t size, ModuleLog& log);

// Marks the calling thread as an audio thread while it lives. The audio
// callback creates one on entry.
class AudioThreadMark {
 public:
  AudioThreadMark();
  ~AudioThreadMark();
  AudioThreadMark(const AudioThreadMark&) = delete;
  AudioThreadMark& operator=(const AudioThreadMark&) = delete;

 private:
  bool was_marked_;
};
