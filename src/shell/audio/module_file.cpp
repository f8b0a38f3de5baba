// Loading a tracker module into libopenmpt with our own log and error
// callbacks.
#include "shell/audio/module_file.h"

#include <libopenmpt/libopenmpt.h>

#include <cstdio>
#include <new>

namespace {

thread_local bool on_audio_thread = false;

void on_module_message(const char* message, void* user) {
  auto& log = *static_cast<ModuleLog*>(user);
  if (on_audio_thread) {
    log.unreported.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  try {
    log.messages.emplace_back(message);
  } catch (const std::bad_alloc&) {
    log.unreported.fetch_add(1, std::memory_order_relaxed);
  }
}

// Every libopenmpt error becomes a message in the module's log; load
// failures also reach the caller through the create call's error code.
int on_module_error(int, void*) { return OPENMPT_ERROR_FUNC_RESULT_LOG; }

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// The whole file, or false when it cannot be opened or read (a directory
// opens but fails on the first read).
bool read_whole_file(const char* path, std::vector<unsigned char>& bytes) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "rb"));
  if (!file) return false;
  unsigned char chunk[65536];
  std::size_t count;
  while ((count = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) bytes.insert(bytes.end(), chunk, chunk + count);
  return std::ferror(file.get()) == 0;
}

}  // namespace

void ModuleDeleter::operator()(openmpt_module* module) const { openmpt_module_destroy(module); }

LoadedModule load_module_memory(const void* data, std::size_t size, ModuleLog& log) {
  int error = OPENMPT_ERROR_OK;
  openmpt_module* module = openmpt_module_create_from_memory2(data, size, on_module_message, &log, on_module_error,
                                                              nullptr, &error, nullptr, nullptr);
  if (module == nullptr) {
    return {nullptr, error == OPENMPT_ERROR_OUT_OF_MEMORY ? ModuleLoadFailure::out_of_memory
                                                          : ModuleLoadFailure::not_a_module};
  }
  openmpt_module_set_repeat_count(module, 0);  // play once, never loop
  return {ModulePtr(module), ModuleLoadFailure::none};
}

LoadedModule load_module_file(const char* path, std::uint64_t offset, std::uint64_t length, ModuleLog& log) {
  if (path == nullptr) return {nullptr, ModuleLoadFailure::file_unreadable};
  std::vector<unsigned char> bytes;
  try {
    if (!read_whole_file(path, bytes)) return {nullptr, ModuleLoadFailure::file_unreadable};
  } catch (const std::bad_alloc&) {
    return {nullptr, ModuleLoadFailure::out_of_memory};
  }
  if (offset > bytes.size()) return {nullptr, ModuleLoadFailure::file_unreadable};
  const std::uint64_t available = bytes.size() - offset;
  if (length == 0) length = available;
  if (length > available) return {nullptr, ModuleLoadFailure::file_unreadable};
  return load_module_memory(bytes.data() + offset, static_cast<std::size_t>(length), log);
}

AudioThreadMark::AudioThreadMark() : was_marked_(on_audio_thread) { on_audio_thread = true; }

AudioThreadMark::~AudioThreadMark() { on_audio_thread = was_marked_; }
