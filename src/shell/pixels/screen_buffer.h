// ScreenBuffer: one 640 x 480 picture of 0x00RRGGBB pixels (see pixel.h),
// row-major from the top-left, rows back to back: pixel (x, y) is element
// y * 640 + x. Some scenes use the same memory as a table of 307,200 signed
// 32-bit pixel indices instead of pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "shell/pixels/pixel.h"

constexpr int screen_width = 640;
constexpr int screen_height = 480;
constexpr int screen_pixels = screen_width * screen_height;  // 307,200
constexpr std::size_t screen_bytes = screen_pixels * sizeof(Pixel);  // 1,228,800

// Every pixel buffer the program allocates carries this many zeroed pixels
// after its last one. The blurs' lower-right neighbour of the last two pixels
// of row 478 lies just past the end (indices 307,200 and 307,201): with the
// padding those reads are defined and contribute black.
constexpr int screen_padding_pixels = 16;

// Owns one padded, 64-byte aligned buffer. Everything, padding included,
// starts at zero, so headless runs see the same bytes every time.
class ScreenBuffer {
 public:
  ScreenBuffer();
  ScreenBuffer(ScreenBuffer&&) noexcept = default;
  ScreenBuffer& operator=(ScreenBuffer&&) noexcept = default;

  Pixel* pixels() { return storage_.get(); }
  const Pixel* pixels() const { return storage_.get(); }

  // The same memory seen as an index table (int32 may alias uint32).
  std::int32_t* indices() { return reinterpret_cast<std::int32_t*>(storage_.get()); }
  const std::int32_t* indices() const { return reinterpret_cast<const std::int32_t*>(storage_.get()); }

  Pixel& operator[](int i) { return storage_[i]; }
  Pixel operator[](int i) const { return storage_[i]; }

  // Sets all 307,200 pixels to 0; the padding stays zero.
  void clear();

 private:
  struct Free {
    void operator()(Pixel* p) const;
  };
  std::unique_ptr<Pixel[], Free> storage_;
};

// Allocates `pixel_count` pixels plus the zeroed padding, all zero, 64-byte
// aligned. For pictures held outside a ScreenBuffer (the staging surface).
Pixel* allocate_pixels(std::size_t pixel_count);
void free_pixels(Pixel* pixels);
