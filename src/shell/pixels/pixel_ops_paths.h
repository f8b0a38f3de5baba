// The code paths of the pixel operations. pixel_ops.h's functions choose
// one for each operation (pixel_ops.cpp): at compile time by processor
// architecture and, on x86-64, once per run by whether the processor has
// AVX-512. The tests and benchmarks call every path directly
// to show they give the same bytes and what each costs. Each function does
// exactly what its namesake in pixel_ops.h does, with the same
// preconditions.
#pragma once

#include <cstdint>

#include "shell/pixels/pixel.h"

// Plain C++ on 16-byte vectors (pixel_vector.h): every operation, on any
// processor. On x86-64 the gathers take SSE2 or AVX-512 instead, and the
// eight-neighbour blurs AVX-512 where the processor has it.
namespace pixel_ops_portable {
void add_buffers_saturate(const Pixel* a, const Pixel* b, Pixel* destination);
void add_buffer_saturate(const Pixel* source, Pixel* destination);
void subtract_buffer_saturate(const Pixel* source, Pixel* destination);
void fade_buffer(std::uint32_t amount, Pixel* destination);
void apply_tv_mask(const Pixel* mask, Pixel* destination);
void blur4_channels(const Pixel* source, Pixel* destination);
void gather_pixels(const std::int32_t* index, const Pixel* source, Pixel* destination);
void gather_pixels_unchecked(const std::int32_t* index, const Pixel* source, Pixel* destination);
void blur8_buffer(const Pixel* source, Pixel* destination);
void blur8_buffer_dual(const Pixel* source, Pixel* destination_1, Pixel* destination_2);
}  // namespace pixel_ops_portable

#if defined(__x86_64__)

// SSE2, part of every x86-64: the gathers, which measure faster this way
// than on the portable path.
namespace pixel_ops_sse2 {
void gather_pixels(const std::int32_t* index, const Pixel* source, Pixel* destination);
void gather_pixels_unchecked(const std::int32_t* index, const Pixel* source, Pixel* destination);
}  // namespace pixel_ops_sse2

// AVX-512 (foundation instructions only). Call only where `supported()`.
namespace pixel_ops_avx512 {
bool supported();
void gather_pixels(const std::int32_t* index, const Pixel* source, Pixel* destination);
void gather_pixels_unchecked(const std::int32_t* index, const Pixel* source, Pixel* destination);
void blur8_buffer(const Pixel* source, Pixel* destination);
void blur8_buffer_dual(const Pixel* source, Pixel* destination_1, Pixel* destination_2);
}  // namespace pixel_ops_avx512

#endif  // __x86_64__
