// Zero-filled memory blocks with a fixed limit on their number.
#include "jpeg/jpeg_memory.h"

#include <cstdlib>

void* JpegMemory::allocate_bytes(std::size_t count, std::size_t element_size) {
  if (count_ == max_blocks) throw JpegFailure{jpeg_error_memory_blocks};
  // calloc checks count * element_size for overflow and aligns to 16 bytes.
  void* block = std::calloc(count == 0 ? 1 : count, element_size);
  if (block == nullptr) throw JpegFailure{jpeg_error_out_of_memory};
  blocks_[count_++] = block;
  return block;
}

void JpegMemory::release_all() {
  for (int i = 0; i < count_; ++i) std::free(blocks_[i]);
  count_ = 0;
}
