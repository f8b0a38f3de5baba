// The two code paths of the pixel operations that have a faster AVX-512
// version. pixel_ops.h's functions pick one path once per run (the AVX-512
// one where the processor and the operating system support it); the tests
// and benchmarks call both paths directly to show they give the same bytes
// and what each costs. Each function does exactly what its namesake in
// pixel_ops.h does, with the same preconditions.
#pragma once

#include <cstdint>

#include "shell/pixels/pixel.h"

// SSE2, part of every x86-64: the path for any processor.
namespace pixel_ops_sse2 {
void gather_pixels(const std::int32_t* index, const Pixel* source, Pixel* destination);
void gather_pixels_unchecked(const std::int32_t* index, const Pixel* source, Pixel* destination);
void blur8_buffer(const Pixel* source, Pixel* destination);
void blur8_buffer_dual(const Pixel* source, Pixel* destination_1, Pixel* destination_2);
}  // namespace pixel_ops_sse2

// AVX-512 (foundation instructions only). Call only where `supported()`.
namespace pixel_ops_avx512 {
bool supported();
void gather_pixels(const std::int32_t* index, const Pixel* source, Pixel* destination);
void gather_pixels_unchecked(const std::int32_t* index, const Pixel* source, Pixel* destination);
void blur8_buffer(const Pixel* source, Pixel* destination);
void blur8_buffer_dual(const Pixel* source, Pixel* destination_1, Pixel* destination_2);
}  // namespace pixel_ops_avx512
