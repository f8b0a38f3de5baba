// One lattice frame as the lattice scene renders it: camera inside the
// lattice, reset, fixed-point transform, projection and edge drawing into a
// screen buffer.
#include <benchmark/benchmark.h>

#include "render/camera.h"
#include "render/lattice.h"
#include "render/line_draw.h"
#include "shell/pixels/screen_buffer.h"

namespace {

void lattice_frame(benchmark::State& state) {
  LatticeMesh mesh;
  lattice_mesh_build(mesh, lattice_point_count, 0);
  lattice_fill_grid(mesh.rest);
  Camera camera;
  camera.position = {0.3, 0.2, -0.4};
  camera.axis = {0.2, 0.9, 0.4};
  camera.w = 0.3;
  camera.wrap = true;
  ScreenBuffer buffer;
  for (auto _ : state) {
    lattice_reset(mesh);
    lattice_transform(mesh, camera_view_matrix(camera));
    lattice_project(mesh, 320, 320, 240);
    lattice_draw_edges(mesh.projected, buffer.pixels());
    benchmark::DoNotOptimize(buffer.pixels());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(lattice_frame)->Unit(benchmark::kMicrosecond);

// The line drawing alone: a lattice-like mix of short lines.
void draw_short_lines(benchmark::State& state) {
  ScreenBuffer buffer;
  for (auto _ : state) {
    for (int i = 0; i < 1000; ++i) {
      const double x = (i * 37) % 600 + 10.5, y = (i * 91) % 440 + 10.5;
      draw_line_add(x, y, x + (i % 29) - 14, y + (i % 23) - 11, 0x1F1F1F, buffer.pixels());
    }
    benchmark::DoNotOptimize(buffer.pixels());
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(draw_short_lines)->Unit(benchmark::kMicrosecond);

}  // namespace
