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

// The scene's roles for the shared buffers.
const Pixel* raycast_picture() { return scene.shared->work_a->pixels(); }  // the opening cross-fades from it
Pixel* draw_buffer() { return scene.shared->work_b->pixels(); }  // the feedback the lines are drawn into
Pixel* blurred_picture() { return scene.shared->work_e->pixels(); }  // the opening's blurred flight
Pixel* portrait_scratch() { return scene.shared->work_j->pixels(); }
const Pixel* tv_mask() { return scene.shared->tv_mask_picture->pixels(); }
std::array<ScreenBuffer*, 4> portrait_pictures() {
  const SharedPictures& shared = *scene.shared;
  return {shared.portrait_1, shared.portrait_2, shared.portrait_3, shared.portrait_4};
}

// The feedback picture loses this much of every colour byte per frame.
constexpr std::uint32_t feedback_darkening = pixel_grey(0x40);
constexpr int cross_fade_full = 256;

// The portraits near their moments, each from a fresh copy in work_j, added
// to the draw buffer.
void add_portraits(double time) {
  const long long now = static_cast<long long>(time);
  const std::array<ScreenBuffer*, 4> pictures = portrait_pictures();
  for (std::size_t k = 0; k < pictures.size(); ++k) {
    const LatticeParameters::Portrait& portrait = scene.parameters.portraits[k];
    const std::optional<long long> extra =
        lattice_portrait_extra_passes(now, portrait.time, scene.parameters.portrait_window);
    if (!extra) continue;
    std::memcpy(portrait_scratch(), pictures[k]->pixels(), lattice_portrait_pixels * sizeof(Pixel));
    lattice_portrait_blur_add(portrait.row, *extra, portrait_scratch(), draw_buffer());
  }
}

// The opening: the flight fades in over the raycast scene's last picture.
// Returns the scene time it reached.
double play_opening(const SceneContext& context, ptc::Timer& timer) {
  const int transition = scene.parameters.transition;
  Pixel* draw = draw_buffer();
  Pixel* blurred = blurred_picture();
  return play_frame_loop(context, timer, 0.0, transition, [&](const SceneFrame& frame) {
    lattice_flight_step(scene.flight, frame.step, draw);
    fade_buffer(feedback_darkening, draw);
    blur8_buffer(draw, blurred);
    std::memcpy(draw, blurred, screen_bytes);
    const int level = static_cast<int>(frame.time / transition * cross_fade_full);
    subtract_buffer_saturate(tv_mask(), blurred);
    lattice_cross_fade(level, raycast_picture(), blurred, frame.surface);
  });
}

// The main part, from scene time `time`.
void play_main_part(const SceneContext& context, ptc::Timer& timer, double time) {
  Pixel* draw = draw_buffer();
  play_frame_loop(context, timer, time, scene.parameters.duration, [&](const SceneFrame& frame) {
    lattice_flight_step(scene.flight, frame.step, draw);
    add_portraits(frame.time);
    fade_buffer(feedback_darkening, draw);
    blur8_buffer(draw, frame.surface);
    std::memcpy(draw, frame.surface, screen_bytes);  // the feedback
    subtract_buffer_saturate(tv_mask(), frame.surface);
  });
}

}  // namespace

LatticeParameters lattice_read_parameters(ConfigReader& reader) {
  LatticeParameters parameters;
  config_read_int(reader, parameters.transition);
  config_read_int(reader, parameters.duration);
  config_read_int(reader, parameters.portrait_window);
  for (LatticeParameters::Portrait& portrait : parameters.portraits) {
    config_read_int(reader, portrait.spare);
    config_read_int(reader, portrait.row);
    config_read_int(reader, portrait.time);
  }
  return parameters;
}

void lattice_init(const SharedPictures& shared) {
  scene.shared = &shared;
  lattice_flight_load(scene.flight);
  load_bmp_picture(lattice_portrait_width, lattice_portrait_height, "data/ramblekin.bmp", shared.portrait_1->pixels());
  load_bmp_picture(lattice_portrait_width, lattice_portrait_height, "data/quib.bmp", shared.portrait_2->pixels());
  load_bmp_picture(lattice_portrait_width, lattice_portrait_height, "data/dorvan.bmp", shared.portrait_3->pixels());
  load_bmp_picture(lattice_portrait_width, lattice_portrait_height, "data/pelk.bmp", shared.portrait_4->pixels());
  ConfigReader reader;
  config_open(reader, lattice_parameter_file);
  scene.parameters = lattice_read_parameters(reader);
  config_close(reader);
}

void lattice_set_parameters(const LatticeParameters& parameters) { scene.parameters = parameters; }

void lattice_run(const SceneContext& context) {
  ptc::Timer timer(context.console);
  start_scene_timer(timer);
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

void lattice_render_frame(Pixel* destination) {
  ScreenBuffer& draw = *scene.shared->work_b;
  draw.clear();
  lattice_flight_continue(scene.flight, draw.pixels());
  blur8_buffer(draw.pixels(), destination);
}
