// The functions of pixel_ops.h, each sent to one code path
// (pixel_ops_paths.h): chosen at compile time by processor architecture and,
// for the gathers and the eight-neighbour blurs on x86-64, once per run by
// whether the processor has AVX-512; without it the gathers take SSE2. On
// other processors every operation takes the portable path.
#include "shell/pixels/pixel_ops.h"

#include <cstdint>

#include "shell/pixels/pixel_ops_paths.h"

// The same path on every processor: on x86-64 the compiler makes SSE2 of
// it, and versions written in SSE2 intrinsics measure no faster.

void add_buffers_saturate(const Pixel* a, const Pixel* b, Pixel* destination) {
  pixel_ops_portable::add_buffers_saturate(a, b, destination);
}

void add_buffer_saturate(const Pixel* source, Pixel* destination) {
  pixel_ops_portable::add_buffer_saturate(source, destination);
}

void subtract_buffer_saturate(const Pixel* source, Pixel* destination) {
  pixel_ops_portable::subtract_buffer_saturate(source, destination);
}

void fade_buffer(std::uint32_t amount, Pixel* destination) { pixel_ops_portable::fade_buffer(amount, destination); }

void apply_tv_mask(const Pixel* mask, Pixel* destination) { pixel_ops_portable::apply_tv_mask(mask, destination); }

void blur4_channels(const Pixel* source, Pixel* destination) {
  pixel_ops_portable::blur4_channels(source, destination);
}

#if defined(__x86_64__)

namespace {

// Asked once; a branch on it costs nothing against a whole-buffer pass.
bool use_avx512() {
  static const bool supported = pixel_ops_avx512::supported();
  return supported;
}

}  // namespace

void gather_pixels(const std::int32_t* index, const Pixel* source, Pixel* destination) {
  (use_avx512() ? pixel_ops_avx512::gather_pixels : pixel_ops_sse2::gather_pixels)(index, source, destination);
}

void gather_pixels_unchecked(const std::int32_t* index, const Pixel* source, Pixel* destination) {
  (use_avx512() ? pixel_ops_avx512::gather_pixels_unchecked
                : pixel_ops_sse2::gather_pixels_unchecked)(index, source, destination);
}

void blur8_buffer(const Pixel* source, Pixel* destination) {
  (use_avx512() ? pixel_ops_avx512::blur8_buffer : pixel_ops_portable::blur8_buffer)(source, destination);
}

void blur8_buffer_dual(const Pixel* source, Pixel* destination_1, Pixel* destination_2) {
  (use_avx512() ? pixel_ops_avx512::blur8_buffer_dual
                : pixel_ops_portable::blur8_buffer_dual)(source, destination_1, destination_2);
}

#else

void gather_pixels(const std::int32_t* index, const Pixel* source, Pixel* destination) {
  pixel_ops_portable::gather_pixels(index, source, destination);
}

void gather_pixels_unchecked(const std::int32_t* index, const Pixel* source, Pixel* destination) {
  pixel_ops_portable::gather_pixels_unchecked(index, source, destination);
}

void blur8_buffer(const Pixel* source, Pixel* destination) { pixel_ops_portable::blur8_buffer(source, destination); }

void blur8_buffer_dual(const Pixel* source, Pixel* destination_1, Pixel* destination_2) {
  pixel_ops_portable::blur8_buffer_dual(source, destination_1, destination_2);
}

#endif
