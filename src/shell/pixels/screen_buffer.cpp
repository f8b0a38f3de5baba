// Allocation of padded, aligned pixel buffers.
#include "shell/pixels/screen_buffer.h"

#include <cstdlib>
#include <cstring>
#include <new>

Pixel* allocate_pixels(std::size_t pixel_count) {
  constexpr std::size_t alignment = 64;
  std::size_t bytes = (pixel_count + screen_padding_pixels) * sizeof(Pixel);
  bytes = (bytes + alignment - 1) / alignment * alignment;  // aligned_alloc wants a multiple
  void* memory = std::aligned_alloc(alignment, bytes);
  if (memory == nullptr) throw std::bad_alloc();
  std::memset(memory, 0, bytes);
  return static_cast<Pixel*>(memory);
}

void free_pixels(Pixel* pixels) { std::free(pixels); }

void ScreenBuffer::Free::operator()(Pixel* p) const { free_pixels(p); }

ScreenBuffer::ScreenBuffer() : storage_(allocate_pixels(screen_pixels)) {}

void ScreenBuffer::clear() { std::memset(storage_.get(), 0, screen_bytes); }
