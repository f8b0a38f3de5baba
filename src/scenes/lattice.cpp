// The lattice scene: start-up, the opening cross-fade, the hand-over between
// the two parts, the main flight with its portraits, and the one further
// frame the starwarp scene asks for.
#include "scenes/lattice.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>

#include "data/config_reader.h"
#include "data/picture_loader.h"
#include "scenes/lattice_flight.h"
#include "scenes/lattice_pictures.h"
#include "shell/pixels/pixel_ops.h"

namespace {

// The scene's state from start-up to the end of the run; the starwarp scene
// continues the flight from it.
struct LatticeScene {
  const SharedPictures* shared = nullptr;
  LatticeFlight flight;
  LatticeParameters parameters;
};

LatticeScene scene;

constexpr double units_per_second = 6.25;  // scene time
// The feedback picture loses this much of every colour byte per frame.
constexpr std::uint32_t feedback_darkening = pixel_grey(0x40);
constexpr int cross_fade_full = 256;

void read_parameters(LatticeParameters& parameters) {
  parameters = LatticeParameters{};
  ConfigReader reader;
  if (!config_open(reader, "data/lattice.conf")) return;
  config_read_int(reader, parameters.transition);
  config_read_int(reader, parameters.duration);
  config_read_int(reader, parameters.portrait_window);
  for (LatticeParameters::Portrait& portrait : parameters.portraits) {
    config_read_int(reader, portrait.spare);
    config_read_int(reader, portrait.row);
    config_read_int(reader, portrait.time);
  }
  config_close(reader);
}

std::array<ScreenBuffer*, 4> portrait_pictures(const SharedPictures& shared) {
  return {shared.portrait_1, shared.portrait_2, shared.portrait_3, shared.portrait_4};
}

// The portraits near their moments, each from a fresh copy in work_j, added
// to the draw buffer.
void add_portraits(double time) {
  const SharedPictures& shared = *scene.shared;
  const long long now = static_cast<long long>(time);
  const std::array<ScreenBuffer*, 4> pictures = portrait_pictures(shared);
  for (std::size_t k = 0; k < pictures.size(); ++k) {
    const LatticeParameters::Portrait& portrait = scene.parameters.portraits[k];
    const std::optional<long long> extra = portrait_extra_passes(now, portrait.time, scene.parameters.portrait_window);
    if (!extra) continue;
    std::memcpy(shared.work_j->pixels(), pictures[k]->pixels(), portrait_pixels * sizeof(Pixel));
    portrait_blur_add(portrait.row, *extra, shared.work_j->pixels(), shared.work_b->pixels());
  }
}

// The opening: the flight fades in over the raycast scene's last picture.
// Returns the scene time it reached.
double play_opening(const SceneContext& context, ptc::Timer& timer) {
  const SharedPictures& shared = *scene.shared;
  const int transition = scene.parameters.transition;
  Pixel* draw = shared.work_b->pixels();
  Pixel* blurred = shared.work_e->pixels();
  double time = 0.0;
  while (time < transition) {
    if (context.console.key()) break;
    const double step = units_per_second * timer.delta();
    Pixel* surface = context.surface.lock();
    lattice_flight_step(scene.flight, step, draw);
    fade_buffer(feedback_darkening, draw);
    blur8_buffer(draw, blurred);
    std::memcpy(draw, blurred, screen_bytes);
    const int level = static_cast<int>(time / transition * cross_fade_full);
    subtract_buffer_saturate(shared.tv_mask_picture->pixels(), blurred);
    cross_fade(level, shared.work_a->pixels(), blurred, surface);
    present_frame(context);
    time += step;
  }
  return time;
}

// The main part, from scene time `time`.
void play_main_part(const SceneContext& context, ptc::Timer& timer, double time) {
  const SharedPictures& shared = *scene.shared;
  Pixel* draw = shared.work_b->pixels();
  while (time < scene.parameters.duration) {
    if (context.console.key()) break;
    const double step = units_per_second * timer.delta();
    lattice_flight_step(scene.flight, step, draw);
    add_portraits(time);
    Pixel* surface = context.surface.lock();
    fade_buffer(feedback_darkening, draw);
    blur8_buffer(draw, surface);
    std::memcpy(draw, surface, screen_bytes);  // the feedback
    subtract_buffer_saturate(shared.tv_mask_picture->pixels(), surface);
    present_frame(context);
    time += step;
  }
}

}  // namespace

void lattice_init(const SharedPictures& shared) {
  scene.shared = &shared;
  lattice_flight_load(scene.flight);
  load_bmp_picture(portrait_width, portrait_height, "data/ramblekin.bmp", shared.portrait_1->pixels());
  load_bmp_picture(portrait_width, portrait_height, "data/quib.bmp", shared.portrait_2->pixels());
  load_bmp_picture(portrait_width, portrait_height, "data/dorvan.bmp", shared.portrait_3->pixels());
  load_bmp_picture(portrait_width, portrait_height, "data/pelk.bmp", shared.portrait_4->pixels());
  read_parameters(scene.parameters);
}

LatticeParameters lattice_parameters() { return scene.parameters; }
void lattice_set_parameters(const LatticeParameters& parameters) { scene.parameters = parameters; }

void lattice_run(const SceneContext& context) {
  ptc::Timer timer(context.console);
  timer.start();
  timer.time();
  lattice_flight_restart(scene.flight);
  scene.shared->work_b->clear();

  double time = play_opening(context, timer);

  // Hand-over: the opening's overshoot carries into the main part, and the
  // paths go back to the end of the opening.
  consume_waiting_key(context.console);
  const int transition = scene.parameters.transition;
  time = time > transition ? time - transition : 0.0;
  lattice_flight_seek(scene.flight, time > transition ? time - transition : transition);

  play_main_part(context, timer, time);
  consume_waiting_key(context.console);
}

void render_lattice_frame(Pixel* destination) {
  ScreenBuffer& draw = *scene.shared->work_b;
  draw.clear();
  lattice_flight_continue(scene.flight, draw.pixels());
  blur8_buffer(draw.pixels(), destination);
}
