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
  const SharedPictures* shared = nullptr;
  BlobbyParameters parameters;
  MetaballCaster caster;  // blobs, lights, falloff table, grid; its march counters run on for the whole run
  Camera camera;          // only its start position is used: the eye
  double theta = 0.0;     // motion phase, radians
};

BlobbyScene scene;

constexpr double theta_per_second = 0.322;
constexpr double light_depth = 2.0;
constexpr int first_word = 4;   // words_pictures entry of the first word
constexpr int first_flash = 4;  // sublim_pictures entry of the first flash picture
constexpr double flash_moments[2] = {30.0, 100.0};

// The scene's roles for the shared buffers.
ScreenBuffer& blobs_picture() { return *scene.shared->work_a; }  // the shaded blobs
ScreenBuffer& wire_picture() { return *scene.shared->work_c; }   // the wire grid, then scratch for the words
Pixel* sum_picture() { return scene.shared->work_d->pixels(); }  // blobs and wire together
const Pixel* tv_mask() { return scene.shared->tv_mask_picture->pixels(); }
const Pixel* word_picture(int k) { return scene.shared->words_pictures[first_word + k]->pixels(); }
const Pixel* flash_picture(int k) { return scene.shared->sublim_pictures[first_flash + k]->pixels(); }

void blobby_frame_pictures(double scene_time, bool (&flash_pending)[2], Pixel* surface) {
  const SharedPictures& shared = *scene.shared;
  for (int k = 0; k < 2; ++k) {
    word_flash_show(word_picture(k), scene_time, shared.word_flash_times.blobby[k], shared.word_flash_bias,
                    wire_picture().pixels(), surface);
  }
  for (int k = 0; k < 2; ++k) {
    word_flash_frame_show(flash_pending[k], scene_time, flash_moments[k], flash_picture(k), surface);
  }
}

// One frame's picture, from the blobs at the current phase to the finished
// surface before its words and flashes.
void blobby_compose(Pixel* surface) {
  const Vector3& eye = scene.camera.position;
  metaball_cast_grid(scene.caster, eye);
  metaball_draw_grid_wire(scene.caster, wire_picture().pixels());
  metaball_shade_blocks(scene.caster, eye, blobs_picture().pixels());
  add_buffers_saturate(blobs_picture().pixels(), wire_picture().pixels(), sum_picture());
  blur8_buffer(sum_picture(), surface);
  apply_tv_mask(tv_mask(), surface);
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

BlobbyParameters blobby_read_parameters(ConfigReader& reader) {
  BlobbyParameters parameters;
  config_read_double(reader, parameters.duration);
  config_read_double(reader, parameters.spare);
  return parameters;
}

void blobby_init(const SharedPictures& shared) {
  scene.shared = &shared;
  MetaballField& field = scene.caster.field;
  field.blobs = {};  // centres (0, 0, -50), bounding radius 32
  metaball_falloff_table_build(field.falloff);
  const Vector3& eye = scene.camera.position;
  for (Vector3& light : field.lights) vec_set(light, eye.x, eye.y, light_depth);
  ConfigReader reader;
  config_open(reader, blobby_parameter_file);
  scene.parameters = blobby_read_parameters(reader);  // 0 for what a missing or short file leaves out
  config_close(reader);
  scene.theta = 0.0;
}

void blobby_set_parameters(const BlobbyParameters& parameters) { scene.parameters = parameters; }

void blobby_run(const SceneContext& context) {
  ptc::Timer timer(context.console);
  start_scene_timer(timer);
  bool flash_pending[2] = {true, true};
  play_frame_loop(
      context, timer, 0.0, scene.parameters.duration,
      [&](const SceneFrame& frame) {
        blobs_picture().clear();
        wire_picture().clear();
        blobby_pose(scene.caster.field, scene.theta);
        scene.theta += theta_per_second * frame.seconds;
        blobby_compose(frame.surface);
        blobby_frame_pictures(frame.time, flash_pending, frame.surface);
      },
      KeyTest::before_loop_and_frame_end);
  consume_waiting_key(context.console);  // end of the run
}
