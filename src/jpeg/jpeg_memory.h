// The decoder's memory: every table and buffer of one picture comes from here
// as a zero-filled block, at most 100 of them, all released together when the
// picture is done or the decoder fails.
#pragma once

#include <cstddef>
#include <cstdint>

#include "jpeg/jpeg_errors.h"

class JpegMemory {
 public:
  static constexpr int max_blocks = 100;

  JpegMemory() = default;
  ~JpegMemory() { release_all(); }
  JpegMemory(const JpegMemory&) = delete;
  JpegMemory& operator=(const JpegMemory&) = delete;

  // A zero-filled block of `count` elements, aligned to at least 8 bytes.
  // Throws jpeg_error_memory_blocks past the block limit and
  // jpeg_error_out_of_memory when the allocation fails.
  template <class T>
  T* allocate(std::size_t count) {
    return static_cast<T*>(allocate_bytes(count, sizeof(T)));
  }

  void release_all();
  int block_count() const { return count_; }

 private:
  void* allocate_bytes(std::size_t count, std::size_t element_size);

  void* blocks_[max_blocks] = {};
  int count_ = 0;
};
