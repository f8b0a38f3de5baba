// Benchmarks of the whole-buffer pixel operations, each measured beside a
// memcpy of one whole buffer in the same loop. A 640 x 480 buffer lives in
// the caches, so memory traffic is the floor; the counter `x_memcpy` is the
// median time of the operation over the median time of the memcpy, taken
// from alternating runs so that both see the same machine load. Each
// operation is measured through pixel_ops.h (the path this processor gets)
// and through each of its paths by name (pixel_ops_paths.h).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "shell/pixels/pixel_ops.h"
#include "shell/pixels/pixel_ops_paths.h"
#include "shell/pixels/screen_buffer.h"

namespace {

// Every buffer one operation may touch, filled once.
struct BenchBuffers {
  ScreenBuffer a, b, c;
  ScreenBuffer copy;          // memcpy target
  ScreenBuffer warp;          // index table, all in range
  ScreenBuffer warp_outside;  // the same turn, its corners out of range

  BenchBuffers() {
    std::mt19937 random(42);
    for (int i = 0; i < screen_pixels; ++i) {
      a[i] = random() & 0x00FFFFFFu;
      b[i] = random() & 0x00FFFFFFu;
      c[i] = random() & 0x00FFFFFFu;
    }
    fill_rotozoom(warp.indices(), true);
    fill_rotozoom(warp_outside.indices(), false);
  }

  // A scene-like warp: the screen turned by 0.2 radians about its centre.
  // The corners fall outside the picture: there the table wraps, or reads
  // -1 when `wrap` is false.
  static void fill_rotozoom(std::int32_t* index, bool wrap) {
    const double turn_cos = std::cos(0.2), turn_sin = std::sin(0.2);
    for (int y = 0; y < screen_height; ++y) {
      for (int x = 0; x < screen_width; ++x) {
        const double dx = x - screen_width / 2.0, dy = y - screen_height / 2.0;
        int u = static_cast<int>(std::floor(screen_width / 2.0 + dx * turn_cos - dy * turn_sin));
        int v = static_cast<int>(std::floor(screen_height / 2.0 + dx * turn_sin + dy * turn_cos));
        const bool inside = u >= 0 && u < screen_width && v >= 0 && v < screen_height;
        if (wrap) {
          u = (u % screen_width + screen_width) % screen_width;
          v = (v % screen_height + screen_height) % screen_height;
        }
        index[y * screen_width + x] = inside || wrap ? v * screen_width + u : -1;
      }
    }
  }
};

BenchBuffers& buffers() {
  static BenchBuffers instance;
  return instance;
}

double median(std::vector<double>& values) {
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

// Times memcpy and the operation alternately; reports the operation's time
// as the benchmark's and the ratio of the medians as `x_memcpy`.
template <typename Operation>
void beside_memcpy(benchmark::State& state, Operation operation) {
  using Clock = std::chrono::steady_clock;
  BenchBuffers& bench = buffers();
  std::vector<double> memcpy_seconds, operation_seconds;
  for (auto _ : state) {
    const auto start = Clock::now();
    std::memcpy(bench.copy.pixels(), bench.a.pixels(), screen_bytes);
    benchmark::ClobberMemory();
    const auto copied = Clock::now();
    operation(bench);
    benchmark::ClobberMemory();
    const auto done = Clock::now();

    memcpy_seconds.push_back(std::chrono::duration<double>(copied - start).count());
    operation_seconds.push_back(std::chrono::duration<double>(done - copied).count());
    state.SetIterationTime(operation_seconds.back());
  }
  if (memcpy_seconds.empty()) return;
  const double memcpy_median = median(memcpy_seconds);
  const double operation_median = median(operation_seconds);
  state.counters["median_us"] = operation_median * 1e6;
  state.counters["memcpy_us"] = memcpy_median * 1e6;
  state.counters["x_memcpy"] = operation_median / memcpy_median;
}

// Defines and registers one benchmark whose operation is `body`, with the
// buffers named `b`.
#define PIXEL_BENCHMARK(name, body)                                                          \
  void name(benchmark::State& state) {                                                       \
    beside_memcpy(state, [](BenchBuffers& b) { body; });                                     \
  }                                                                                          \
  BENCHMARK(name)->UseManualTime()->Unit(benchmark::kMicrosecond)

// Read one buffer, write one.
PIXEL_BENCHMARK(BM_fade_buffer, fade_buffer(0x040404, b.c.pixels()));
PIXEL_BENCHMARK(BM_apply_tv_mask, apply_tv_mask(b.a.pixels(), b.c.pixels()));
PIXEL_BENCHMARK(BM_add_buffer_saturate, add_buffer_saturate(b.a.pixels(), b.c.pixels()));
PIXEL_BENCHMARK(BM_subtract_buffer_saturate, subtract_buffer_saturate(b.a.pixels(), b.c.pixels()));
// Three buffers.
PIXEL_BENCHMARK(BM_add_buffers_saturate, add_buffers_saturate(b.a.pixels(), b.b.pixels(), b.c.pixels()));
PIXEL_BENCHMARK(BM_gather_pixels, gather_pixels(b.warp_outside.indices(), b.a.pixels(), b.c.pixels()));
PIXEL_BENCHMARK(BM_gather_pixels_unchecked, gather_pixels_unchecked(b.warp.indices(), b.a.pixels(), b.c.pixels()));
PIXEL_BENCHMARK(BM_blur8_buffer_dual, blur8_buffer_dual(b.a.pixels(), b.b.pixels(), b.c.pixels()));
// Blurs: one buffer read at eight (or four) places, one written.
PIXEL_BENCHMARK(BM_blur8_buffer, blur8_buffer(b.a.pixels(), b.c.pixels()));
PIXEL_BENCHMARK(BM_blur4_channels, blur4_channels(b.a.pixels(), b.c.pixels()));

// Each path by name: the portable one, and on x86-64 SSE2 and AVX-512.
PIXEL_BENCHMARK(BM_fade_buffer_portable, pixel_ops_portable::fade_buffer(0x040404, b.c.pixels()));
PIXEL_BENCHMARK(BM_apply_tv_mask_portable, pixel_ops_portable::apply_tv_mask(b.a.pixels(), b.c.pixels()));
PIXEL_BENCHMARK(BM_add_buffer_saturate_portable, pixel_ops_portable::add_buffer_saturate(b.a.pixels(), b.c.pixels()));
PIXEL_BENCHMARK(BM_subtract_buffer_saturate_portable,
                pixel_ops_portable::subtract_buffer_saturate(b.a.pixels(), b.c.pixels()));
PIXEL_BENCHMARK(BM_add_buffers_saturate_portable,
                pixel_ops_portable::add_buffers_saturate(b.a.pixels(), b.b.pixels(), b.c.pixels()));
PIXEL_BENCHMARK(BM_gather_pixels_portable,
                pixel_ops_portable::gather_pixels(b.warp_outside.indices(), b.a.pixels(), b.c.pixels()));
PIXEL_BENCHMARK(BM_gather_pixels_unchecked_portable,
                pixel_ops_portable::gather_pixels_unchecked(b.warp.indices(), b.a.pixels(), b.c.pixels()));
PIXEL_BENCHMARK(BM_blur8_buffer_dual_portable,
                pixel_ops_portable::blur8_buffer_dual(b.a.pixels(), b.b.pixels(), b.c.pixels()));
PIXEL_BENCHMARK(BM_blur8_buffer_portable, pixel_ops_portable::blur8_buffer(b.a.pixels(), b.c.pixels()));
PIXEL_BENCHMARK(BM_blur4_channels_portable, pixel_ops_portable::blur4_channels(b.a.pixels(), b.c.pixels()));

#if defined(__x86_64__)

PIXEL_BENCHMARK(BM_gather_pixels_sse2,
                pixel_ops_sse2::gather_pixels(b.warp_outside.indices(), b.a.pixels(), b.c.pixels()));
PIXEL_BENCHMARK(BM_gather_pixels_unchecked_sse2,
                pixel_ops_sse2::gather_pixels_unchecked(b.warp.indices(), b.a.pixels(), b.c.pixels()));

// The AVX-512 path, where this processor has it.
template <typename Operation>
void avx512_beside_memcpy(benchmark::State& state, Operation operation) {
  if (!pixel_ops_avx512::supported()) {
    state.SkipWithError("this processor has no AVX-512");
    return;
  }
  beside_memcpy(state, operation);
}

#define AVX512_PIXEL_BENCHMARK(name, body)                                                   \
  void name(benchmark::State& state) {                                                       \
    avx512_beside_memcpy(state, [](BenchBuffers& b) { body; });                              \
  }                                                                                          \
  BENCHMARK(name)->UseManualTime()->Unit(benchmark::kMicrosecond)

AVX512_PIXEL_BENCHMARK(BM_gather_pixels_avx512,
                       pixel_ops_avx512::gather_pixels(b.warp_outside.indices(), b.a.pixels(), b.c.pixels()));
AVX512_PIXEL_BENCHMARK(BM_gather_pixels_unchecked_avx512,
                       pixel_ops_avx512::gather_pixels_unchecked(b.warp.indices(), b.a.pixels(), b.c.pixels()));
AVX512_PIXEL_BENCHMARK(BM_blur8_buffer_dual_avx512,
                       pixel_ops_avx512::blur8_buffer_dual(b.a.pixels(), b.b.pixels(), b.c.pixels()));
AVX512_PIXEL_BENCHMARK(BM_blur8_buffer_avx512, pixel_ops_avx512::blur8_buffer(b.a.pixels(), b.c.pixels()));

#endif  // __x86_64__

}  // namespace
