// The raycast scene: start-up (mask, light paths and their rand() jitter,
// ray table, parameters) and the frame loop.
#include "scenes/raycast.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "data/config_reader.h"
#include "data/picture_loader.h"
#include "data/spline_path.h"
#include "scenes/raycast_rays.h"
#include "shell/pixels/pixel_ops.h"

namespace {

// The scene's state from start-up to the end of the run.
struct RaycastScene {
  const SharedPictures* shared = nullptr;
  // Read for their file reads and rand() draws; the lights follow a circle.
  std::array<SplinePath, 3> light_paths;
  RaycastParameters parameters;
};

RaycastScene scene;

// The scene's roles for the shared buffers.
Pixel* work_picture() { return scene.shared->work_a->pixels(); }  // fed back every frame; left for the lattice scene
Pixel* light_mask() { return scene.shared->work_c->pixels(); }
const Pixel* tv_mask() { return scene.shared->tv_mask_picture->pixels(); }
RayTableEntry* ray_table() { return scene.shared->ray_table; }

constexpr double fade_start = 10.0;        // scene time
constexpr double max_grey = 250.0;
constexpr double max_decay = 20.0;
constexpr double decay_growth_per_second = 0.625;
constexpr double light_angle_per_second = 0.32;  // radians

// Red, green, blue: the channel each light writes, as a left shift.
constexpr int red_shift = 16;
constexpr int green_shift = 8;
constexpr int blue_shift = 0;

struct LightPosition {
  int x;
  int y;
};

// The three lights circle the middle of the screen, a little out of phase.
std::array<LightPosition, 3> light_positions(double angle) {
  const auto at = [](double phase_x, double phase_y, double a) {
    return LightPosition{static_cast<int>(320 + 160 * std::sin(a + phase_x)),
                         static_cast<int>(240 + 120 * std::cos(a + phase_y))};
  };
  return {at(0.0, 0.0, angle), at(0.4, 0.6, angle), at(0.6, 1.0, angle)};
}

// Paths 2 and 3 get every key moved by rand() % 11 draws, four per key of
// path 2, in this order: path 2's x (draw - 5), its y (draw), path 3's x
// (draw), its y (draw - 5).
void jitter_light_paths(SplinePath& second, SplinePath& third) {
  const auto draw = [] { return static_cast<double>(std::rand() % 11); };
  for (int i = 0; i < second.count; ++i) {
    const double second_x = draw() - 5;
    const double second_y = draw();
    const double third_x = draw();
    const double third_y = draw() - 5;
    second.points[i].x += second_x;
    second.points[i].y += second_y;
    if (i < third.count) {  // loaded from the same file: the same count unless the file changed in between
      third.points[i].x += third_x;
      third.points[i].y += third_y;
    }
  }
}

// One frame: darken, cast the three lights, blur the work picture into the
// surface and feed it back, then the tv filter on the surface.
void draw_frame(const RaycastFade& fade, double angle, Pixel* surface) {
  Pixel* work = work_picture();
  const Pixel* mask = light_mask();
  if (fade.grey > 0) fade_buffer(pixel_grey(static_cast<unsigned>(fade.grey)), work);  // grey 0 changes nothing

  const std::array<LightPosition, 3> lights = light_positions(angle);
  const int decay = static_cast<int>(fade.decay);
  const int shifts[3] = {red_shift, green_shift, blue_shift};
  for (int k = 0; k < 3; ++k) {
    raycast_cast_light(ray_table(), decay, shifts[k], lights[k].x, lights[k].y, mask, work);
  }

  blur8_buffer(work, surface);
  std::memcpy(work, surface, screen_bytes);  // the feedback
  apply_tv_mask(tv_mask(), surface);
}

}  // namespace

void raycast_fade_step(RaycastFade& fade, double time, double seconds, double duration) {
  fade.decay += decay_growth_per_second * seconds;
  if (time > fade_start) {
    const double x = (time - fade_start) / duration;
    fade.grey = static_cast<int>(std::min(max_grey * x, max_grey));
    fade.decay = std::min(max_decay * x, max_decay);
  }
}

RaycastParameters raycast_read_parameters(ConfigReader& reader) {
  RaycastParameters parameters;
  config_read_double(reader, parameters.duration);
  config_read_double(reader, parameters.spare);
  return parameters;
}

void raycast_init(const SharedPictures& shared) {
  scene.shared = &shared;
  Pixel* title = light_mask();
  load_jpeg_picture("data/title.jpg", title);
  raycast_make_light_mask(title);

  for (SplinePath& path : scene.light_paths) path_load(path, "data/lightR.bsp");
  jitter_light_paths(scene.light_paths[1], scene.light_paths[2]);

  raycast_build_ray_table(ray_table());
  ConfigReader reader;
  config_open(reader, raycast_parameter_file);
  scene.parameters = raycast_read_parameters(reader);
  config_close(reader);
}

void raycast_set_parameters(const RaycastParameters& parameters) { scene.parameters = parameters; }

void raycast_run(const SceneContext& context) {
  const double duration = scene.parameters.duration;
  ptc::Timer timer(context.console);
  start_scene_timer(timer);
  double angle = 0.0;  // radians
  RaycastFade fade;
  play_frame_loop(context, timer, 0.0, duration, [&](const SceneFrame& frame) {
    raycast_fade_step(fade, frame.time, frame.seconds, duration);
    angle += light_angle_per_second * frame.seconds;
    draw_frame(fade, angle, frame.surface);
  });

  consume_waiting_key(context.console);
  // The lattice scene cross-fades from this.
  subtract_buffer_saturate(tv_mask(), work_picture());
}
