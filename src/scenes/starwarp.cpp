// The starwarp scene: start-up, the straight warp with its word pictures,
// the change of phase and the spin with its flash pictures.
#include "scenes/starwarp.h"

#include <cmath>

#include "data/config_reader.h"
#include "data/picture_loader.h"
#include "render/map_quad.h"
#include "scenes/lattice.h"
#include "scenes/starwarp_warp.h"
#include "scenes/word_flash.h"
#include "shell/pixels/pixel_ops.h"

namespace {

struct StarwarpScene {
  SharedPictures pictures;
  StarwarpParameters parameters;
};

StarwarpScene starwarp;

constexpr double units_per_second = 6.25;  // scene time
constexpr double spin_angle_per_second = 0.05806;
constexpr double spin_swing = 3.14159;  // rotation = swing x sin(spin angle), radians
constexpr int first_word = 0;           // words_pictures entry of the first word
constexpr int first_flash = 0;          // sublim_pictures entry of the first flash picture
constexpr double flash_moments[2] = {30.0, 100.0};  // spin time

void read_parameters(StarwarpParameters& parameters) {
  parameters = StarwarpParameters{};
  ConfigReader reader;
  if (!config_open(reader, "data/starwarp.conf")) return;
  config_read_double(reader, parameters.warp_duration);
  config_read_double(reader, parameters.spin_duration);
  config_read_double(reader, parameters.spare);
  config_close(reader);
}

// The scene time and seed position that run on from frame to frame.
struct StarwarpClock {
  double time = 0.0;    // T, scene-time units within the phase
  double column = 0.0;  // seed position in the palette, one column per unit
};

// The straight warp, from time 0; leaves the clock where its last frame did.
void play_straight_warp(const SceneContext& context, ptc::Timer& timer, StarwarpClock& clock) {
  const SharedPictures& pictures = starwarp.pictures;
  Pixel* feedback = pictures.work_a->pixels();
  Pixel* warped = pictures.work_c->pixels();
  while (clock.time < starwarp.parameters.warp_duration) {
    if (context.console.key()) break;
    const double step = units_per_second * timer.delta();
    clock.column += step;
    Pixel* surface = context.surface.lock();
    seed_lines(clock.column, pictures.work_l->pixels(), feedback);
    gather_pixels_unchecked(pictures.work_m->indices(), feedback, warped);  // every warp entry is a valid pixel
    blur8_buffer_dual(warped, surface, feedback);
    for (int k = 0; k < 2; ++k) {
      word_flash_show(pictures.words_pictures[first_word + k]->pixels(), clock.time,
                      pictures.word_flash_times.starwarp[k], pictures.word_flash_bias, warped, surface);
    }
    subtract_buffer_saturate(pictures.tv_mask_picture->pixels(), surface);
    present_frame(context);
    clock.time += step;
  }
}

// The spin, from the clock the change of phase set.
void play_spin(const SceneContext& context, ptc::Timer& timer, StarwarpClock& clock) {
  const SharedPictures& pictures = starwarp.pictures;
  Pixel* feedback = pictures.work_a->pixels();
  Pixel* warped = pictures.work_c->pixels();
  double spin_angle = 0.0;
  bool flash_pending[2] = {true, true};
  while (clock.time < starwarp.parameters.spin_duration) {
    if (context.console.key()) break;
    const double dt = timer.delta();
    const double step = units_per_second * dt;
    clock.column += step;
    Pixel* surface = context.surface.lock();
    spin_angle += spin_angle_per_second * dt;
    const std::array<QuadCorner, 4> square = spin_square(spin_swing * std::sin(spin_angle));
    seed_bars(clock.column, pictures.work_l->pixels(), feedback);
    map_quad(square, pictures.work_m->indices(), pictures.work_b->indices());
    // Outside the square the spin table keeps older entries, the lattice
    // drawing's colours among them: the checked gather reads those as pixel 0.
    gather_pixels(pictures.work_b->indices(), feedback, warped);
    blur8_buffer_dual(warped, surface, feedback);
    subtract_buffer_saturate(pictures.tv_mask_picture->pixels(), surface);
    // A flash picture replaces the frame; the warp goes on underneath.
    for (int k = 0; k < 2; ++k) {
      frame_flash_show(flash_pending[k], clock.time, flash_moments[k],
                       pictures.sublim_pictures[first_flash + k]->pixels(), surface);
    }
    present_frame(context);
    clock.time += step;
  }
}

}  // namespace

void starwarp_init(const SharedPictures& shared) {
  starwarp.pictures = shared;
  build_warp_table(shared.work_m->indices());
  load_jpeg_picture("data/starwarp.jpg", shared.work_l->pixels());
  read_parameters(starwarp.parameters);
}

StarwarpParameters starwarp_parameters() { return starwarp.parameters; }
void starwarp_set_parameters(const StarwarpParameters& parameters) { starwarp.parameters = parameters; }

void starwarp_run(const SceneContext& context) {
  render_lattice_frame(starwarp.pictures.work_a->pixels());
  ptc::Timer timer(context.console);
  timer.start();
  timer.time();
  StarwarpClock clock;
  play_straight_warp(context, timer, clock);

  // Change of phase, also after a key: the overshoot carries into the spin
  // and the seeds restart from the column the warp's length names.
  const double warp_duration = starwarp.parameters.warp_duration;
  clock.time = clock.time > warp_duration ? clock.time - warp_duration : 0.0;
  clock.column = warp_duration;
  play_spin(context, timer, clock);

  consume_waiting_key(context.console);  // end of the run
}
