// The greets scene's own per-frame work in its ripple phases: the ring-wave
// grid, the source map built from it, and the checked gather through the
// map. (The blur, mask and other whole-buffer operations have their own
// benchmark.)
#include <benchmark/benchmark.h>

#include "scenes/greets_ripple.h"
#include "shell/pixels/pixel_ops.h"
#include "shell/pixels/screen_buffer.h"

namespace {

void greets_ripple_grid(benchmark::State& state) {
  RippleGrid grid;
  greets_ripple_grid_at_rest(grid);
  for (auto _ : state) {
    greets_build_ripple_grid(grid);
    benchmark::DoNotOptimize(grid.x.data());
  }
  state.SetItemsProcessed(state.iterations() * node_grid_nodes);
}
BENCHMARK(greets_ripple_grid)->Unit(benchmark::kMicrosecond);

void greets_grid_map(benchmark::State& state) {
  RippleGrid grid;
  greets_ripple_grid_at_rest(grid);
  ScreenBuffer map;
  for (auto _ : state) {
    greets_build_ripple_grid(grid);
    greets_build_grid_map(grid, map.indices());
    benchmark::DoNotOptimize(map.pixels());
  }
  state.SetItemsProcessed(state.iterations() * screen_pixels);
}
BENCHMARK(greets_grid_map)->Unit(benchmark::kMicrosecond);

void greets_ripple_gather(benchmark::State& state) {
  RippleGrid grid;
  greets_ripple_grid_at_rest(grid);
  ScreenBuffer map, picture, warped;
  for (int i = 0; i < screen_pixels; ++i) picture[i] = static_cast<Pixel>(i * 2654435761u) & 0xFFFFFFu;
  for (auto _ : state) {
    greets_build_ripple_grid(grid);
    greets_build_grid_map(grid, map.indices());
    gather_pixels(map.indices(), picture.pixels(), warped.pixels());
    benchmark::DoNotOptimize(warped.pixels());
  }
  state.SetItemsProcessed(state.iterations() * screen_pixels);
}
BENCHMARK(greets_ripple_gather)->Unit(benchmark::kMicrosecond);

}  // namespace
