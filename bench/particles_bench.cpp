// The particles scene's per-frame work: the jittered warp grid turned into
// its source map, and a whole simulated frame (figure, warp, two gathers,
// lines, channel blur, snapshot and strip, scan-line mask). Run from a
// folder with data/ in it for the committed paths.
#include <benchmark/benchmark.h>

#include <vector>

#include "scenes/particles.h"
#include "scenes/particles_warp.h"
#include "scenes/shared_pictures.h"

namespace {

void particles_warp_map(benchmark::State& state) {
  WarpGrid grid;
  particles_warp_grid_at_rest(grid);
  std::vector<std::int32_t> map(screen_pixels);
  for (auto _ : state) {
    particles_jitter_warp_grid(grid);
    particles_build_warp_map(grid, map.data());
    benchmark::DoNotOptimize(map.data());
  }
  state.SetItemsProcessed(state.iterations() * screen_pixels);
}
BENCHMARK(particles_warp_map)->Unit(benchmark::kMicrosecond);

// Every frame at 60 frames per second: a sixtieth of a second of scene time.
void particles_frame(benchmark::State& state) {
  SharedPictureMemory memory;
  SharedPictures shared;
  for (ScreenBuffer** buffer : {&shared.work_b, &shared.work_c, &shared.work_d, &shared.work_e, &shared.work_l,
                                &shared.work_m, &shared.tv_mask_picture}) {
    *buffer = memory.allocate_buffer();
  }
  for (ScreenBuffer*& buffer : shared.words_pictures) buffer = memory.allocate_buffer();
  for (ScreenBuffer*& buffer : shared.sublim_pictures) buffer = memory.allocate_buffer();
  particles_init(shared);
  particles_prepare();
  ScreenBuffer screen;
  for (auto _ : state) {
    particles_live_frame(scene_units_per_second / 60.0, screen.pixels());
    benchmark::DoNotOptimize(screen.pixels());
  }
}
BENCHMARK(particles_frame)->Unit(benchmark::kMicrosecond);

}  // namespace
