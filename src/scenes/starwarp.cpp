// The starwarp scene: start-up, the straight warp with its word pictures,
// the change of phase and the spin with its flash pictures.
#include "scenes/starwarp.h"

#include <algorithm>
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
  const SharedPictures* shared = nullptr;
  StarwarpParameters parameters;
};

StarwarpScene scene;

constexpr int first_word = 0;   // words_pictures entry of the first word
constexpr int first_flash = 0;  // sublim_pictures entry of the first flash picture

// The scene's roles for the shared buffers.
Pixel* feedback_picture() { return scene.shared->work_a->pixels(); }  // starts as one further lattice frame
std::int32_t* spin_table() { return scene.shared->work_b->indices(); }  // the warp table on the turning square
Pixel* warped_picture() { return scene.shared->work_c->pixels(); }      // scratch
const Pixel* seed_palette() { return scene.shared->work_l->pixels(); }
const std::int32_t* warp_table() { return scene.shared->work_m->indices(); }
const Pixel* tv_mask() { return scene.shared->tv_mask_picture->pixels(); }
const Pixel* word_picture(int k) { return scene.shared->words_pictures[first_word + k]->pixels(); }
const Pixel* flash_picture(int k) { return scene.shared->sublim_pictures[first_flash + k]->pixels(); }

constexpr double spin_angle_per_second = 0.05806;
constexpr double spin_swing = 3.14159;  // rotation = swing x sin(spin angle), radians
constexpr double flash_moments[2] = {30.0, 100.0};  // spin time

// The straight warp from time 0; returns the scene time it reached.
double play_straight_warp(const SceneContext& context, ptc::Timer& timer) {
  const SharedPictures& shared = *scene.shared;
  Pixel* feedback = feedback_picture();
  Pixel* warped = warped_picture();
  double column = 0.0;  // seed position in the palette, one column per scene-time unit
  return play_frame_loop(context, timer, 0.0, scene.parameters.warp_duration, [&](const SceneFrame& frame) {
    column += frame.step;
    starwarp_seed_lines(column, seed_palette(), feedback);
    gather_pixels_unchecked(warp_table(), feedback, warped);  // every warp entry is a valid pixel
    blur8_buffer_dual(warped, frame.surface, feedback);
    for (int k = 0; k < 2; ++k) {
      word_flash_show(word_picture(k), frame.time, shared.word_flash_times.starwarp[k], shared.word_flash_bias, warped,
                      frame.surface);
    }
    subtract_buffer_saturate(tv_mask(), frame.surface);
  });
}

// The spin from scene time `time`, the seeds from `column`.
void play_spin(const SceneContext& context, ptc::Timer& timer, double time, double column) {
  Pixel* feedback = feedback_picture();
  Pixel* warped = warped_picture();
  double spin_angle = 0.0;
  bool flash_pending[2] = {true, true};
  play_frame_loop(context, timer, time, scene.parameters.spin_duration, [&](const SceneFrame& frame) {
    column += frame.step;
    spin_angle += spin_angle_per_second * frame.seconds;
    const std::array<QuadCorner, 4> square = starwarp_spin_square(spin_swing * std::sin(spin_angle));
    starwarp_seed_bars(column, seed_palette(), feedback);
    map_quad(square, warp_table(), spin_table());
    // Outside the square the spin table keeps older entries, the lattice
    // drawing's colours among them: the checked gather reads those as pixel 0.
    gather_pixels(spin_table(), feedback, warped);
    blur8_buffer_dual(warped, frame.surface, feedback);
    subtract_buffer_saturate(tv_mask(), frame.surface);
    // A flash picture replaces the frame; the warp goes on underneath.
    for (int k = 0; k < 2; ++k) {
      word_flash_frame_show(flash_pending[k], frame.time, flash_moments[k], flash_picture(k), frame.surface);
    }
  });
}

}  // namespace

StarwarpParameters starwarp_read_parameters(ConfigReader& reader) {
  StarwarpParameters parameters;
  config_read_double(reader, parameters.warp_duration);
  config_read_double(reader, parameters.spin_duration);
  config_read_double(reader, parameters.spare);
  return parameters;
}

void starwarp_init(const SharedPictures& shared) {
  scene.shared = &shared;
  starwarp_build_warp_table(shared.work_m->indices());
  load_jpeg_picture("data/starwarp.jpg", shared.work_l->pixels());
  ConfigReader reader;
  config_open(reader, starwarp_parameter_file);
  scene.parameters = starwarp_read_parameters(reader);
  config_close(reader);
}

void starwarp_set_parameters(const StarwarpParameters& parameters) { scene.parameters = parameters; }

void starwarp_run(const SceneContext& context) {
  lattice_render_frame(feedback_picture());
  ptc::Timer timer(context.console);
  start_scene_timer(timer);
  double time = play_straight_warp(context, timer);

  // Change of phase, also after a key: the overshoot carries into the spin
  // and the seeds restart from the column the warp's length names. A warp
  // of negative length plays no frame and has no overshoot: the spin starts
  // at 0.
  const double warp_duration = scene.parameters.warp_duration;
  time = time > std::max(warp_duration, 0.0) ? time - warp_duration : 0.0;
  play_spin(context, timer, time, warp_duration);

  consume_waiting_key(context.console);  // end of the run
}
