// Four pixels as one value, for the pixel loops of every layer: a GCC
// vector of 16 bytes, which the compiler turns into SSE2 instructions on
// x86-64 and into NEON on AArch64, so one source serves both. Shifts, masks
// and sums work on the four 32-bit lanes (whole pixels); the saturating
// operations work on the sixteen bytes. Loads and stores are unaligned
// (memcpy, one vector move): they reach any pixel of any buffer.
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <cstdint>
#include <cstring>

#include "shell/pixels/pixel.h"

using PixelVector = Pixel __attribute__((vector_size(16)));
constexpr int pixel_vector_pixels = 4;

inline PixelVector load_pixels(const Pixel* p) {
  PixelVector v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline void store_pixels(Pixel* p, PixelVector v) { std::memcpy(p, &v, sizeof v); }

inline PixelVector broadcast_pixel(Pixel p) { return PixelVector{p, p, p, p}; }

// Per-byte unsigned saturation in plain vector arithmetic, for processors
// without an instruction for it: a (+) b = a + min(b, 255 - a) and
// a (-) b = a - min(a, b), which never wrap or carry into the next byte.
namespace pixel_vector_portable {

using Bytes = std::uint8_t __attribute__((vector_size(16)));

inline Bytes min(Bytes a, Bytes b) { return a < b ? a : b; }

inline PixelVector add_saturate(PixelVector a, PixelVector b) {
  const Bytes x = (Bytes)a;
  return (PixelVector)(x + min((Bytes)b, ~x));
}

inline PixelVector subtract_saturate(PixelVector a, PixelVector b) {
  const Bytes x = (Bytes)a;
  return (PixelVector)(x - min(x, (Bytes)b));
}

}  // namespace pixel_vector_portable

// a (+) b and a (-) b on each of the sixteen bytes. SSE2 (every x86-64) has
// one instruction for each, which GCC does not find in the portable form:
// with it the pixel loops run up to twice as fast there.
inline PixelVector add_saturate(PixelVector a, PixelVector b) {
#if defined(__SSE2__)
  return (PixelVector)_mm_adds_epu8((__m128i)a, (__m128i)b);
#else
  return pixel_vector_portable::add_saturate(a, b);
#endif
}

inline PixelVector subtract_saturate(PixelVector a, PixelVector b) {
#if defined(__SSE2__)
  return (PixelVector)_mm_subs_epu8((__m128i)a, (__m128i)b);
#else
  return pixel_vector_portable::subtract_saturate(a, b);
#endif
}

// The same on single pixels, in the vector's first lane.
inline Pixel add_saturate(Pixel a, Pixel b) { return add_saturate(PixelVector{a}, PixelVector{b})[0]; }
inline Pixel subtract_saturate(Pixel a, Pixel b) { return subtract_saturate(PixelVector{a}, PixelVector{b})[0]; }
