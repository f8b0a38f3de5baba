// The particles scene: its state, start-up, the feedback step and the two
// phases it plays.
#include "scenes/particles.h"

#include <algorithm>
#include <cstring>

#include "data/config_reader.h"
#include "data/spline_path.h"
#include "render/camera.h"
#include "scenes/particles_figure.h"
#include "scenes/particles_snapshots.h"
#include "scenes/particles_warp.h"
#include "scenes/word_flash.h"
#include "shell/pixels/pixel_ops.h"
#include "shell/pixels/screen_buffer.h"

namespace {

struct ParticlesScene {
  const SharedPictures* shared = nullptr;
  ParticlesParameters parameters;
  SplinePath figure_location_path;  // steps are set every frame: the files' are never used
  SplinePath figure_axis_path;
  FigureArmPaths arms;
  ParticleFigure figure = figure_create();
  Camera camera;  // never moves: the view maps (x, y, z) to (-x - 0.5, -y - 0.5, z)
  WarpGrid warp;
  SnapshotRing ring;
};

ParticlesScene scene;

constexpr double figure_path_extra_step = 0.05;  // added to the frame's step on the figure paths
constexpr double first_flash_moment = 30.0;
constexpr double second_flash_moment = 100.0;
constexpr int first_word = 2;   // words_pictures entry of the first word
constexpr int first_flash = 2;  // sublim_pictures entry of the first flash picture

// The scene's roles for the shared buffers.
Pixel* feedback_picture() { return scene.shared->work_b->pixels(); }       // F
Pixel* work_picture() { return scene.shared->work_e->pixels(); }           // W
std::int32_t* warp_map() { return scene.shared->work_c->indices(); }       // M
std::int32_t* row_shift_table() { return scene.shared->work_m->indices(); }  // U
std::int32_t* source_map() { return scene.shared->work_l->indices(); }       // C
Pixel* frozen_picture() { return scene.shared->work_d->pixels(); }           // Z
const Pixel* tv_mask() { return scene.shared->tv_mask_picture->pixels(); }
const Pixel* word_picture(int k) { return scene.shared->words_pictures[first_word + k]->pixels(); }
const Pixel* flash_picture(int k) { return scene.shared->sublim_pictures[first_flash + k]->pixels(); }

// The previous picture seen through the jittered grid and two rows higher,
// the figure drawn over it, blurred back into F with colour fringes.
void feedback_step() {
  particles_jitter_warp_grid(scene.warp);
  particles_build_warp_map(scene.warp, warp_map());
  // C = U[M]: the tables' int32 entries travel through the gather as pixels.
  gather_pixels(warp_map(), reinterpret_cast<const Pixel*>(row_shift_table()), reinterpret_cast<Pixel*>(source_map()));
  gather_pixels(source_map(), feedback_picture(), work_picture());
  figure_draw(scene.figure, work_picture());
  blur4_channels(work_picture(), feedback_picture());
}

// One simulated frame: the figure moves on by `dt` scene-time units, the
// feedback picture with it, and a snapshot is taken around vertex 0.
void simulate(double dt) {
  for (SplinePath* path : {&scene.figure_location_path, &scene.figure_axis_path}) {
    path->step = dt + figure_path_extra_step;
    path_advance(*path);
  }
  scene.figure.pose.position = path_position(scene.figure_location_path);
  scene.figure.pose.axis = path_position(scene.figure_axis_path);  // normalised by figure_place
  figure_advance_arm_paths(scene.arms);
  figure_build_arm_samples(scene.arms, scene.figure);
  figure_place(scene.figure, scene.camera);
  figure_project(scene.figure, figure_focal, figure_centre_x, figure_centre_y);
  feedback_step();
  const Vector3& anchor = scene.figure.vertices[0].screen;
  snapshot_grab(scene.ring, anchor.x, anchor.y, feedback_picture());
}

// F on the screen with the snapshot strip over it.
void show_feedback(Pixel* screen) {
  std::memcpy(screen, feedback_picture(), screen_bytes);
  snapshot_draw_strip(scene.ring, screen);
}

struct FirstPhaseState {
  bool live = true;
  int next_freeze = 0;  // index of the next toggle moment; only moves forward
  bool flash_pending = true;
};

void show_words(double time, Pixel* screen) {
  const SharedPictures& shared = *scene.shared;
  for (int k = 0; k < 2; ++k) {
    word_flash_show(word_picture(k), time, shared.word_flash_times.particles[k], shared.word_flash_bias, work_picture(),
                    screen);
  }
}

void first_phase_frame(FirstPhaseState& state, double time, double dt, Pixel* screen) {
  const ParticlesParameters& parameters = scene.parameters;
  if (time < parameters.freeze_times[particles_freeze_count - 1]) simulate(dt);
  show_feedback(screen);
  // One toggle at most per frame; the frozen still is this frame before its scan lines.
  if (state.next_freeze < particles_freeze_count && time > parameters.freeze_times[state.next_freeze]) {
    ++state.next_freeze;
    state.live = !state.live;
    std::memcpy(frozen_picture(), screen, screen_bytes);
  }
  if (state.live) {
    apply_tv_mask(tv_mask(), screen);
  } else {
    std::memcpy(screen, frozen_picture(), screen_bytes);
    subtract_buffer_saturate(tv_mask(), screen);
  }
  show_words(time, screen);
  word_flash_frame_show(state.flash_pending, time, first_flash_moment, flash_picture(0), screen);
}

// The first phase from time 0; returns the scene time reached.
double play_first_phase(const SceneContext& context, ptc::Timer& timer) {
  FirstPhaseState state;
  return play_frame_loop(context, timer, 0.0, scene.parameters.phase1_length, [&](const SceneFrame& frame) {
    first_phase_frame(state, frame.time, frame.step, frame.surface);
  });
}

void play_second_phase(const SceneContext& context, ptc::Timer& timer, double time) {
  bool flash_pending = true;
  play_frame_loop(context, timer, time, scene.parameters.phase2_length, [&](const SceneFrame& frame) {
    particles_live_frame(frame.step, frame.surface);
    word_flash_frame_show(flash_pending, frame.time, second_flash_moment, flash_picture(1), frame.surface);
  });
}

}  // namespace

ParticlesParameters particles_read_parameters(ConfigReader& reader) {
  ParticlesParameters parameters;
  config_read_double(reader, parameters.phase1_length);
  config_read_double(reader, parameters.phase2_length);
  config_read_double(reader, parameters.spare_value);
  for (double& moment : parameters.freeze_times) config_read_double(reader, moment);
  return parameters;
}

void particles_init(const SharedPictures& shared) {
  scene = ParticlesScene{};
  scene.shared = &shared;
  path_load(scene.figure_location_path, "data/p-loc.bsp");
  path_load(scene.figure_axis_path, "data/p-axis.bsp");
  figure_init_arm_paths(scene.arms);
  particles_warp_grid_at_rest(scene.warp);
  snapshot_ring_allocate(scene.ring);
  ConfigReader reader;
  config_open(reader, particles_parameter_file);
  scene.parameters = particles_read_parameters(reader);
  config_close(reader);
}

void particles_set_parameters(const ParticlesParameters& parameters) { scene.parameters = parameters; }

void particles_prepare() {
  particles_fill_row_shift_table(row_shift_table());
  particles_fill_identity_map(warp_map());
  scene.shared->work_b->clear();
  scene.shared->work_e->clear();
}

void particles_run(const SceneContext& context) {
  ptc::Timer timer(context.console);
  start_scene_timer(timer);
  const double phase1_length = scene.parameters.phase1_length;
  const double time = play_first_phase(context, timer);
  consume_waiting_key(context.console);
  // The second phase begins with the first one's overshoot; after a key,
  // or when the first phase had no length, at 0.
  play_second_phase(context, timer, time > std::max(phase1_length, 0.0) ? time - phase1_length : 0.0);
  consume_waiting_key(context.console);  // end of the run
}

void particles_live_frame(double dt, Pixel* screen) {
  simulate(dt);
  show_feedback(screen);
  subtract_buffer_saturate(tv_mask(), screen);
}
