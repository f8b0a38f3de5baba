// The blobby scene: motion, the frame's composite and its word and flash
// pictures. The ray casting is in metaball_caster.cpp.
#include "scenes/blobby.h"

#include <cmath>

#include "data/config_reader.h"
#include "render/camera.h"
#include "scenes/word_flash.h"
#include "shell/pixels/pixel_ops.h"

namespace {

struct BlobbyScene {
  SharedPictures pictures;
  MetaballCaster caster;     // blobs, lights, falloff table, grid; its march counters run on for the whole run
  Camera camera;             // only its start position is used: the eye
  double duration = 0.0;     // scene-time units
  double spare_value = 0.0;  // read from the parameter file, unused
  double theta = 0.0;        // motion phase, radians
};

BlobbyScene blobby;

constexpr double units_per_second = 6.25;
constexpr double theta_per_second = 0.322;
constexpr double light_depth = 2.0;
constexpr int first_word = 4;   // words_pictures entry of the first word
constexpr int first_flash = 4;  // sublim_pictures entry of the first flash picture
constexpr double flash_moments[2] = {30.0, 100.0};

void blobby_frame_pictures(double scene_time, bool (&flash_pending)[2], Pixel* surface) {
  const SharedPictures& pictures = blobby.pictures;
  for (int k = 0; k < 2; ++k) {
    word_flash_show(pictures.words_pictures[first_word + k]->pixels(), scene_time, pictures.word_flash_times.blobby[k],
                    pictures.word_flash_bias, pictures.work_c->pixels(), surface);
  }
  for (int k = 0; k < 2; ++k) {
    frame_flash_show(flash_pending[k], scene_time, flash_moments[k],
                     pictures.sublim_pictures[first_flash + k]->pixels(), surface);
  }
}

// One frame's picture, from the blobs at the current phase to the finished
// surface before its words and flashes.
void blobby_compose(Pixel* surface) {
  const SharedPictures& pictures = blobby.pictures;
  const Vector3& eye = blobby.camera.position;
  cast_grid(blobby.caster, eye);
  draw_grid_wire(blobby.caster, pictures.work_c->pixels());
  shade_blocks(blobby.caster, eye, pictures.work_a->pixels());
  add_buffers_saturate(pictures.work_a->pixels(), pictures.work_c->pixels(), pictures.work_d->pixels());
  blur8_buffer(pictures.work_d->pixels(), surface);
  apply_tv_mask(pictures.tv_mask_picture->pixels(), surface);
}

}  // namespace

void blobby_pose(MetaballField& field, double theta) {
  constexpr double swing = 12.0, rise = 9.0, depth_swing = 1.75, depth = -50.0;
  vec_set(field.blobs[0].centre, -swing * std::sin(theta), -rise * std::cos(3 * theta),
          -depth_swing * std::cos(2 * theta) + depth);
  vec_set(field.blobs[1].centre, swing * std::sin(theta), -rise * std::sin(3 * theta),
          -depth_swing * std::sin(2 * theta) + depth);
  vec_set(field.blobs[2].centre, swing * std::cos(theta + 3.14159), -rise * std::sin(theta),
          -depth_swing * std::cos(theta) + depth);
  constexpr double light_swing_x = 4.0, light_swing_y = 2.0, light_spacing = 0.4;
  for (int k = 0; k < 3; ++k) {
    const double phase = theta + light_spacing * k;
    vec_set(field.lights[k], light_swing_x * std::sin(phase), light_swing_y * std::cos(phase), light_depth);
  }
}

void blobby_init(const SharedPictures& shared) { blobby_init(shared, "data/blobby.conf"); }

void blobby_init(const SharedPictures& shared, const char* parameter_path) {
  blobby.pictures = shared;
  MetaballField& field = blobby.caster.field;
  field.blobs = {};  // centres (0, 0, -50), bounding radius 32
  falloff_table_build(field.falloff);
  const Vector3& eye = blobby.camera.position;
  for (Vector3& light : field.lights) vec_set(light, eye.x, eye.y, light_depth);
  blobby.duration = 0.0;  // what a missing or short file leaves
  blobby.spare_value = 0.0;
  ConfigReader reader;
  config_open(reader, parameter_path);
  config_read_double(reader, blobby.duration);
  config_read_double(reader, blobby.spare_value);
  config_close(reader);
  blobby.theta = 0.0;
}

void blobby_run(const SceneContext& context) {
  ptc::Timer timer(context.console);
  timer.start();
  timer.time();
  double scene_time = 0.0;
  bool flash_pending[2] = {true, true};
  // The key is tested before the loop and after every frame.
  if (!context.console.key()) {
    while (scene_time < blobby.duration) {
      const double dt = timer.delta();
      const double step = units_per_second * dt;
      Pixel* surface = context.surface.lock();
      blobby.pictures.work_a->clear();
      blobby.pictures.work_c->clear();
      blobby_pose(blobby.caster.field, blobby.theta);
      blobby.theta += theta_per_second * dt;
      blobby_compose(surface);
      blobby_frame_pictures(scene_time, flash_pending, surface);
      present_frame(context);
      scene_time += step;
      if (context.console.key()) break;
    }
  }
  consume_waiting_key(context.console);  // end of the run
}
