// The blobby scene's frame in two halves: the ray casting (grid, wire and
// block shading, with the marches and unit steps it takes per frame) over
// the scene's motion at 60 frames per second, and the whole-buffer
// composite that follows it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "scenes/blobby.h"
#include "scenes/metaball_caster.h"
#include "shell/pixels/pixel_ops.h"
#include "shell/pixels/screen_buffer.h"

namespace {

const Vector3 eye{0.5, 0.5, 0.0};
constexpr double theta_per_frame = 0.322 / 60;  // radians per frame at 60 fps

std::int64_t marches(const MetaballMarchTally& t) { return t.grid_marches + t.pixel_marches + t.normal_marches; }
std::int64_t steps(const MetaballMarchTally& t) { return t.grid_steps + t.pixel_steps + t.normal_steps; }

void blobby_ray_casting(benchmark::State& state) {
  auto caster = std::make_unique<MetaballCaster>();
  metaball_falloff_table_build(caster->field.falloff);
  ScreenBuffer shade, wire;
  double theta = 0.0;
  std::int64_t most_marches = 0, most_steps = 0;
  for (auto _ : state) {
    const MetaballMarchTally before = caster->field.tally;
    shade.clear();
    wire.clear();
    blobby_pose(caster->field, theta);
    theta += theta_per_frame;
    metaball_cast_grid(*caster, eye);
    metaball_draw_grid_wire(*caster, wire.pixels());
    metaball_shade_blocks(*caster, eye, shade.pixels());
    benchmark::DoNotOptimize(shade.pixels());
    most_marches = std::max(most_marches, marches(caster->field.tally) - marches(before));
    most_steps = std::max(most_steps, steps(caster->field.tally) - steps(before));
  }
  const MetaballMarchTally& t = caster->field.tally;
  auto per_frame = [](std::int64_t n) {
    return benchmark::Counter(static_cast<double>(n), benchmark::Counter::kAvgIterations);
  };
  state.counters["grid_marches"] = per_frame(t.grid_marches);
  state.counters["grid_steps"] = per_frame(t.grid_steps);
  state.counters["pixel_marches"] = per_frame(t.pixel_marches);
  state.counters["pixel_steps"] = per_frame(t.pixel_steps);
  state.counters["normal_marches"] = per_frame(t.normal_marches);
  state.counters["normal_steps"] = per_frame(t.normal_steps);
  state.counters["most_marches"] = static_cast<double>(most_marches);
  state.counters["most_steps"] = static_cast<double>(most_steps);
}
// One whole motion cycle (2 pi / 0.322 s at 60 fps) per run.
BENCHMARK(blobby_ray_casting)->Unit(benchmark::kMicrosecond)->Iterations(1171);

// Clears, sum, blur and tv filter of one frame, without the word pictures.
void blobby_composite(benchmark::State& state) {
  ScreenBuffer shade, wire, sum, mask, surface;
  for (auto _ : state) {
    shade.clear();
    wire.clear();
    add_buffers_saturate(shade.pixels(), wire.pixels(), sum.pixels());
    blur8_buffer(sum.pixels(), surface.pixels());
    apply_tv_mask(mask.pixels(), surface.pixels());
    benchmark::DoNotOptimize(surface.pixels());
  }
}
BENCHMARK(blobby_composite)->Unit(benchmark::kMicrosecond);

}  // namespace
