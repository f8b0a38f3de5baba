// The raycast and lattice scenes' own per-frame work: the three lights'
// rays, the cross-fade and the portrait blurs. (The whole-buffer pixel
// operations have their own benchmark.)
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "scenes/lattice_pictures.h"
#include "scenes/raycast_rays.h"
#include "scenes/shared_pictures.h"

namespace {

// A title-like mask: a band of letter blocks across the middle.
void fill_title_mask(ScreenBuffer& mask) {
  for (int y = 190; y < 270; ++y) {
    for (int x = 40; x < 600; ++x) {
      if ((x / 25) % 3 != 2) mask[y * screen_width + x] = raycast_light_mask_pixel;
    }
  }
}

void raycast_three_lights(benchmark::State& state) {
  std::unique_ptr<RayTableEntry[]> table(new RayTableEntry[ray_table_entries]());
  raycast_build_ray_table(table.get());
  ScreenBuffer mask, work;
  fill_title_mask(mask);
  const int decay = static_cast<int>(state.range(0));
  for (auto _ : state) {
    raycast_cast_light(table.get(), decay, 16, 320, 360, mask.pixels(), work.pixels());
    raycast_cast_light(table.get(), decay, 8, 382, 331, mask.pixels(), work.pixels());
    raycast_cast_light(table.get(), decay, 0, 410, 305, mask.pixels(), work.pixels());
    benchmark::DoNotOptimize(work.pixels());
  }
  state.SetItemsProcessed(state.iterations() * 3 * raycast_rays_per_light);
}
BENCHMARK(raycast_three_lights)->Arg(1)->Arg(20)->Unit(benchmark::kMicrosecond);

void lattice_cross_fade_frame(benchmark::State& state) {
  ScreenBuffer from, to, destination;
  for (int i = 0; i < screen_pixels; ++i) from[i] = to[i] = static_cast<Pixel>(i * 2654435761u) & 0xFFFFFFu;
  for (auto _ : state) {
    lattice_cross_fade(128, from.pixels(), to.pixels(), destination.pixels());
    benchmark::DoNotOptimize(destination.pixels());
  }
}
BENCHMARK(lattice_cross_fade_frame)->Unit(benchmark::kMicrosecond);

// One portrait at the far end of its window: 17 passes with window 16.
void lattice_portrait(benchmark::State& state) {
  std::vector<Pixel> portrait(lattice_portrait_pixels), picture(lattice_portrait_pixels);
  for (int i = 0; i < lattice_portrait_pixels; ++i) portrait[i] = (i / 7) % 3 == 0 ? 0xFFFFFFu : 0u;
  ScreenBuffer destination;
  const long long extra = state.range(0);
  for (auto _ : state) {
    picture = portrait;
    lattice_portrait_blur_add(200, extra, picture.data(), destination.pixels());
    benchmark::DoNotOptimize(destination.pixels());
  }
}
BENCHMARK(lattice_portrait)->Arg(0)->Arg(16)->Unit(benchmark::kMicrosecond);

}  // namespace
