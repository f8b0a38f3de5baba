// The lattice flight and the lattice scene on the headless console: the
// flight stays seamless as the camera wraps from cell to cell, the opening
// and the key rule between the parts, when portraits appear, and the frame
// the starwarp scene renders after the scene.
#include "scenes/lattice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "scene_rig.h"
#include "scenes/lattice_flight.h"
#include "shell/pixels/pixel_ops.h"

namespace {

LatticeParameters parameters_without_portraits(int transition, int duration) {
  LatticeParameters parameters;
  parameters.transition = transition;
  parameters.duration = duration;
  parameters.portrait_window = 5;
  for (LatticeParameters::Portrait& portrait : parameters.portraits) portrait.time = 1000000;
  return parameters;
}

int differing_pixels(const Pixel* a, const Pixel* b) {
  int count = 0;
  for (int i = 0; i < screen_pixels; ++i) count += a[i] != b[i];
  return count;
}

// From frame to frame, each point near the viewer must have a point of the
// frame before within 0.05 cells, also when the camera moves to another cell.
TEST(LatticeFlightTest, StaysSeamlessAsTheCameraWrapsFromCellToCell) {
  LatticeFlight flight;
  lattice_flight_load(flight);
  ScreenBuffer scratch;
  std::vector<IntVector3> previous;
  Vector3 previous_position{};
  int cell_changes = 0;
  for (int frame = 0; frame < 300; ++frame) {
    lattice_flight_step(flight, 0.1, scratch.pixels());
    const std::vector<IntVector3>& points = flight.mesh.working;  // view space, 16.16
    if (!previous.empty()) {
      if (vec_length(vec_sub(flight.camera.position, previous_position)) > 0.5) ++cell_changes;
      for (const IntVector3& p : points) {
        const double x = p.x / 65536.0, y = p.y / 65536.0, z = p.z / 65536.0;
        if (x * x + y * y + z * z > 4.0) continue;
        double nearest = 1e9;
        for (const IntVector3& q : previous) {
          const double dx = x - q.x / 65536.0, dy = y - q.y / 65536.0, dz = z - q.z / 65536.0;
          nearest = std::min(nearest, dx * dx + dy * dy + dz * dz);
        }
        ASSERT_LT(std::sqrt(nearest), 0.05) << "frame " << frame << ": the lattice jumped";
      }
    }
    previous = points;
    previous_position = flight.camera.position;
  }
  EXPECT_GE(cell_changes, 5) << "the flight should cross several cells";
}

TEST(LatticeScene, AKeyDuringTheOpeningEndsOnlyTheOpening) {
  const struct {
    const char* name;
    std::vector<std::int64_t> key_frames;
    std::size_t opening_frames;
    std::size_t main_frames;
  } cases[] = {
      {"no key", {}, loop_frame_times(fine_rate, 10).size(), 0},
      {"a key before frame 20", {21}, 20, loop_frame_times(fine_rate, 5, 0.0, false).size()},
      {"a key before the first frame", {1}, 0, loop_frame_times(fine_rate, 5).size()},
  };
  for (const auto& c : cases) {
    SceneRig rig(fine_rate, c.key_frames);
    lattice_init(rig.shared);
    lattice_set_parameters(parameters_without_portraits(10, 5));
    for (int i = 0; i < screen_pixels; ++i) (*rig.shared.work_a)[i] = static_cast<Pixel>(i * 2654435761u) & 0xFFFFFFu;
    lattice_run(rig.context());

    std::size_t expected_main = c.main_frames;
    if (c.key_frames.empty()) {
      // The opening's overshoot past 10 carries into the main part.
      const std::vector<double> opening = loop_frame_times(fine_rate, 10);
      const double overshoot = opening.back() + 6.25 / 64 - 10;
      expected_main = loop_frame_times(fine_rate, 5, overshoot, false).size();
    }
    EXPECT_EQ(rig.frames_shown(), static_cast<std::int64_t>(c.opening_frames + expected_main)) << c.name;
    EXPECT_FALSE(rig.console.key()) << c.name;
    if (c.opening_frames > 0) {
      EXPECT_EQ(differing_pixels(rig.frames[0].data(), rig.shared.work_a->pixels()), 0)
          << c.name << ": the opening starts from the raycast picture";
    }
  }
}

TEST(LatticeScene, WithoutAnOpeningTheMainPartStartsAtTheFlightStart) {
  SceneRig rig(coarse_rate);
  lattice_init(rig.shared);
  lattice_set_parameters(parameters_without_portraits(0, 3));
  lattice_run(rig.context());
  ASSERT_EQ(rig.frames_shown(), static_cast<std::int64_t>(loop_frame_times(coarse_rate, 3).size()));

  // The first frame: the flight's first position (a step of 0), drawn
  // into a black buffer, darkened, blurred, with the tv mask (black here).
  LatticeFlight flight;
  lattice_flight_load(flight);
  ScreenBuffer draw, expected;
  lattice_flight_step(flight, 0.0, draw.pixels());
  fade_buffer(pixel_grey(0x40), draw.pixels());
  blur8_buffer(draw.pixels(), expected.pixels());
  EXPECT_EQ(differing_pixels(rig.frames[0].data(), expected.pixels()), 0);
}

TEST(LatticeScene, APortraitFirstAppearsAtWindowPlus9BeforeItsMoment) {
  // The same flight twice, with and without a portrait at moment 40 (window
  // 5): the frames part at the first whole scene time of 26.
  const auto run = [](int moment) {
    SceneRig rig(coarse_rate);
    lattice_init(rig.shared);
    for (int i = 0; i < 310 * 64; ++i) (*rig.shared.portrait_2)[i] = 0x00FFFFFF;
    LatticeParameters parameters = parameters_without_portraits(0, 50);
    parameters.portraits[1].row = 200;
    parameters.portraits[1].time = moment;
    lattice_set_parameters(parameters);
    lattice_run(rig.context());
    return rig.frames;
  };
  const std::vector<std::vector<Pixel>> with_portrait = run(40);
  const std::vector<std::vector<Pixel>> without = run(1000000);
  ASSERT_EQ(with_portrait.size(), without.size());
  const std::vector<double> times = loop_frame_times(coarse_rate, 50);
  std::size_t first_difference = with_portrait.size();
  for (std::size_t n = 0; n < with_portrait.size(); ++n) {
    if (with_portrait[n] != without[n]) {
      first_difference = n;
      break;
    }
  }
  ASSERT_LT(first_difference, times.size()) << "the portrait never appeared";
  EXPECT_EQ(static_cast<int>(times[first_difference]), 26);
  EXPECT_LT(static_cast<int>(times[first_difference - 1]), 26);
}

TEST(LatticeScene, RenderFrameContinuesTheFlightByOneFrame) {
  SceneRig rig(fine_rate);
  lattice_init(rig.shared);
  lattice_set_parameters(parameters_without_portraits(0, 4));
  lattice_run(rig.context());

  ScreenBuffer destination;
  lattice_render_frame(destination.pixels());

  // The same flight replayed: the scene's steps (0 for the first frame,
  // 6.25 / 64 after), then one more step of the same length.
  LatticeFlight flight;
  lattice_flight_load(flight);
  ScreenBuffer scratch, draw, expected;
  bool first = true;
  for (std::size_t n = 0; n < loop_frame_times(fine_rate, 4).size(); ++n) {
    lattice_flight_step(flight, first ? 0.0 : 6.25 / 64, scratch.pixels());
    first = false;
  }
  lattice_flight_continue(flight, draw.pixels());
  blur8_buffer(draw.pixels(), expected.pixels());
  EXPECT_GT(lit_pixels(expected.pixels()), 10000);
  EXPECT_EQ(differing_pixels(destination.pixels(), expected.pixels()), 0) << "the blurred next frame";
  EXPECT_EQ(differing_pixels(rig.shared.work_b->pixels(), draw.pixels()), 0) << "the drawing left in work_b";
}

}  // namespace
