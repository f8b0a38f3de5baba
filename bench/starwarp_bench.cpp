// The starwarp scene's per-frame work: the turning quad mapped over the warp
// table, and the whole frame of each phase from seeds to tv mask. Each runs
// beside a memcpy of one 640 x 480 buffer, alternately, so both see the same
// machine load; `x_memcpy` is the ratio of their median times.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "render/map_quad.h"
#include "scenes/starwarp_warp.h"
#include "scenes/word_flash.h"
#include "shell/pixels/pixel_ops.h"
#include "shell/pixels/screen_buffer.h"

namespace {

struct StarwarpBuffers {
  ScreenBuffer feedback, warped, surface, palette, word, tv_mask, warp_table, spin_table, copy;

  StarwarpBuffers() {
    starwarp_build_warp_table(warp_table.indices());
    for (int i = 0; i < screen_pixels; ++i) {
      feedback[i] = static_cast<Pixel>(i * 2654435761u) & 0x00FFFFFFu;
      palette[i] = static_cast<Pixel>(i * 40503u) & 0x00FFFFFFu;
      word[i] = (i / 7) % 5 == 0 ? 0x00FFFFFFu : 0u;
      tv_mask[i] = (i / screen_width) % 4 == 3 ? 0x00202020u : 0u;
    }
  }
};

StarwarpBuffers& buffers() {
  static StarwarpBuffers instance;
  return instance;
}

double median(std::vector<double>& values) {
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

template <typename Work>
void beside_memcpy(benchmark::State& state, Work work) {
  using Clock = std::chrono::steady_clock;
  StarwarpBuffers& b = buffers();
  std::vector<double> memcpy_seconds, work_seconds;
  for (auto _ : state) {
    const auto start = Clock::now();
    std::memcpy(b.copy.pixels(), b.feedback.pixels(), screen_bytes);
    benchmark::ClobberMemory();
    const auto copied = Clock::now();
    work(b);
    benchmark::ClobberMemory();
    const auto done = Clock::now();
    memcpy_seconds.push_back(std::chrono::duration<double>(copied - start).count());
    work_seconds.push_back(std::chrono::duration<double>(done - copied).count());
    state.SetIterationTime(work_seconds.back());
  }
  if (work_seconds.empty()) return;
  const double memcpy_median = median(memcpy_seconds);
  const double work_median = median(work_seconds);
  state.counters["median_us"] = work_median * 1e6;
  state.counters["x_memcpy"] = work_median / memcpy_median;
}

// The spin square at rotation range(0) / 100 radians over the warp table.
void starwarp_map_quad(benchmark::State& state) {
  const std::array<QuadCorner, 4> square = starwarp_spin_square(static_cast<double>(state.range(0)) / 100.0);
  beside_memcpy(state, [&](StarwarpBuffers& b) { map_quad(square, b.warp_table.indices(), b.spin_table.indices()); });
}
BENCHMARK(starwarp_map_quad)->Arg(0)->Arg(50)->Arg(120)->Arg(314)->UseManualTime()->Unit(benchmark::kMicrosecond);

// A straight-warp frame with one word picture fading.
void starwarp_straight_frame(benchmark::State& state) {
  beside_memcpy(state, [](StarwarpBuffers& b) {
    starwarp_seed_lines(60.0, b.palette.pixels(), b.feedback.pixels());
    gather_pixels_unchecked(b.warp_table.indices(), b.feedback.pixels(), b.warped.pixels());
    blur8_buffer_dual(b.warped.pixels(), b.surface.pixels(), b.feedback.pixels());
    word_flash_add(b.word.pixels(), 200, b.warped.pixels(), b.surface.pixels());
    subtract_buffer_saturate(b.tv_mask.pixels(), b.surface.pixels());
  });
}
BENCHMARK(starwarp_straight_frame)->UseManualTime()->Unit(benchmark::kMicrosecond);

// A spin frame at rotation range(0) / 100 radians.
void starwarp_spin_frame(benchmark::State& state) {
  const double rotation = static_cast<double>(state.range(0)) / 100.0;
  beside_memcpy(state, [rotation](StarwarpBuffers& b) {
    const std::array<QuadCorner, 4> square = starwarp_spin_square(rotation);
    starwarp_seed_bars(160.0, b.palette.pixels(), b.feedback.pixels());
    map_quad(square, b.warp_table.indices(), b.spin_table.indices());
    gather_pixels(b.spin_table.indices(), b.feedback.pixels(), b.warped.pixels());
    blur8_buffer_dual(b.warped.pixels(), b.surface.pixels(), b.feedback.pixels());
    subtract_buffer_saturate(b.tv_mask.pixels(), b.surface.pixels());
  });
}
BENCHMARK(starwarp_spin_frame)->Arg(50)->Arg(120)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
