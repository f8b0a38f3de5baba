// The greets scene: its state, start-up, and the six phases it plays.
#include "scenes/greets.h"

#include <algorithm>
#include <cstring>

#include "data/config_reader.h"
#include "data/picture_loader.h"
#include "data/spline_path.h"
#include "render/camera.h"
#include "render/lattice.h"
#include "scenes/greets_ripple.h"
#include "shell/pixels/pixel_ops.h"
#include "shell/pixels/screen_buffer.h"

namespace {

constexpr int border_width = 16;  // pixels of black frame around phases 1-4
constexpr int lattice_focal = 320;

struct GreetsScene {
  const SharedPictures* shared = nullptr;
  GreetsParameters parameters;
  SplinePath camera_location_path;
  SplinePath camera_axis_path;
  Camera camera;  // w stays 0: a half turn about the axis keeps the wrapped lattice seamless
  LatticeMesh lattice;
  RippleGrid ripple;
};

GreetsScene scene;

// The scene's roles for the shared buffers.
const Pixel* greetings_picture() { return scene.shared->work_n->pixels(); }
Pixel* lattice_picture() { return scene.shared->work_b->pixels(); }
Pixel* faded_picture() { return scene.shared->work_e->pixels(); }  // also the ripple's warped picture
Pixel* sum_picture() { return scene.shared->work_m->pixels(); }
std::int32_t* source_map() { return scene.shared->work_l->indices(); }  // the ripple's
const Pixel* tv_mask() { return scene.shared->tv_mask_picture->pixels(); }
const Pixel* first_words() { return scene.shared->words_pictures[6]->pixels(); }
const Pixel* second_words() { return scene.shared->words_pictures[7]->pixels(); }

// The frame's lattice into L (work_b): the camera moves one step along its
// paths, and the lattice is drawn as it sees it.
void render_lattice(Pixel* lattice_out) {
  std::memset(lattice_out, 0, screen_bytes);
  path_advance(scene.camera_location_path);
  path_advance(scene.camera_axis_path);
  scene.camera.position = path_position(scene.camera_location_path);
  scene.camera.axis = camera_unit_axis(path_position(scene.camera_axis_path));
  lattice_reset(scene.lattice);
  const Matrix4 view = camera_view_matrix(scene.camera);
  lattice_transform(scene.lattice, view);
  lattice_project(scene.lattice, lattice_focal, screen_width / 2, screen_height / 2);
  lattice_draw_edges(scene.lattice.projected, lattice_out);
}

// Scan lines and frame: how phases 1-4 finish S after the blur.
void finish_screen(Pixel* screen) {
  apply_tv_mask(tv_mask(), screen);
  greets_draw_black_border(screen);
}

// Phase 1. The paths step by the frame's own time step here only: later
// phases keep the last one.
void compose_flight(double dt, Pixel* screen) {
  scene.camera_location_path.step = dt;
  scene.camera_axis_path.step = dt;
  render_lattice(lattice_picture());
  blur8_buffer(lattice_picture(), screen);
  finish_screen(screen);
}

// Phase 2: the greetings picture, faded, over the lattice.
void compose_picture_fade_in(double time, Pixel* screen) {
  Pixel* faded = faded_picture();
  Pixel* sum = sum_picture();
  std::memcpy(faded, greetings_picture(), screen_bytes);
  render_lattice(lattice_picture());
  fade_buffer(pixel_grey(greets_fade_in_level(time, scene.parameters.picture_fade_in)), faded);
  add_buffers_saturate(lattice_picture(), faded, sum);
  blur8_buffer(sum, screen);
  finish_screen(screen);
}

// Phases 3 and 4: picture and lattice together through the ring-wave warp,
// blurred into S.
void ripple_into_screen(Pixel* screen) {
  Pixel* picture = lattice_picture();
  Pixel* warped = faded_picture();
  render_lattice(picture);
  add_buffer_saturate(greetings_picture(), picture);
  greets_build_ripple_grid(scene.ripple);
  greets_build_grid_map(scene.ripple, source_map());
  gather_pixels(source_map(), picture, warped);  // checked: edge nodes map past the picture
  blur8_buffer(warped, screen);
}

void compose_ripple(Pixel* screen) {
  ripple_into_screen(screen);
  finish_screen(screen);
}

void compose_fade_out(double time, Pixel* screen) {
  ripple_into_screen(screen);
  fade_buffer(pixel_grey(greets_fade_out_level(time, scene.parameters.fade_out)), screen);
  finish_screen(screen);
}

// Phases 5 and 6: the closing words, full screen, no scan lines.
void compose_words_fade_in(double time, Pixel* screen) {
  std::memcpy(screen, first_words(), screen_bytes);
  fade_buffer(pixel_grey(greets_fade_in_level(time, scene.parameters.words_fade_in)), screen);
}

void compose_words_hold(Pixel* screen) {
  Pixel* second = lattice_picture();
  std::memcpy(second, second_words(), screen_bytes);
  add_buffers_saturate(second, first_words(), screen);
}

// Truncated to a grey level; clamped, because only inside its phase's loop
// does a fade's time stay below the phase's length.
int grey_level(double level) {
  if (!(level > 0.0)) return 0;  // NaN too
  return level >= 255.0 ? 255 : static_cast<int>(level);
}

enum class Phase { flight, picture_fade_in, ripple, fade_out, words_fade_in, words_hold };

double phase_length(Phase phase) {
  const GreetsParameters& lengths = scene.parameters;
  switch (phase) {
    case Phase::flight: return lengths.flight;
    case Phase::picture_fade_in: return lengths.picture_fade_in;
    case Phase::ripple: return lengths.ripple;
    case Phase::fade_out: return lengths.fade_out;
    case Phase::words_fade_in: return lengths.words_fade_in;
    case Phase::words_hold: return lengths.words_hold;
  }
  return 0.0;
}

void compose(Phase phase, double time, double dt, Pixel* screen) {
  switch (phase) {
    case Phase::flight: compose_flight(dt, screen); return;
    case Phase::picture_fade_in: compose_picture_fade_in(time, screen); return;
    case Phase::ripple: compose_ripple(screen); return;
    case Phase::fade_out: compose_fade_out(time, screen); return;
    case Phase::words_fade_in: compose_words_fade_in(time, screen); return;
    case Phase::words_hold: compose_words_hold(screen); return;
  }
}

// One phase's frame loop from scene time `time`; returns the time reached.
// A waiting key ends it before the next frame, and is left waiting.
double play_phase(const SceneContext& context, ptc::Timer& timer, Phase phase, double time) {
  return play_frame_loop(context, timer, time, phase_length(phase),
                         [phase](const SceneFrame& frame) { compose(phase, frame.time, frame.step, frame.surface); });
}

}  // namespace

GreetsParameters greets_read_parameters(ConfigReader& reader) {
  GreetsParameters parameters;
  for (double* length : {&parameters.flight, &parameters.picture_fade_in, &parameters.ripple, &parameters.fade_out,
                         &parameters.words_fade_in, &parameters.words_hold}) {
    config_read_double(reader, *length);
  }
  return parameters;
}

void greets_init(const SharedPictures& shared) {
  scene = GreetsScene{};
  scene.shared = &shared;
  lattice_mesh_build(scene.lattice, lattice_point_count, 0);
  lattice_fill_grid(scene.lattice.rest);
  greets_ripple_grid_at_rest(scene.ripple);
  load_jpeg_picture("data/greets.jpg", shared.work_n->pixels());
  path_load(scene.camera_location_path, "data/g-camera.bsp");
  path_load(scene.camera_axis_path, "data/g-axis.bsp");
  scene.camera.wrap = true;
  ConfigReader reader;
  config_open(reader, greets_parameter_file);
  scene.parameters = greets_read_parameters(reader);
  config_close(reader);
}

void greets_set_parameters(const GreetsParameters& parameters) { scene.parameters = parameters; }

void greets_prepare() {
  std::int32_t* map = source_map();
  for (std::int32_t i = 0; i < screen_pixels; ++i) map[i] = i;
}

void greets_run(const SceneContext& context) {
  ptc::Timer timer(context.console);
  start_scene_timer(timer);
  double time = 0.0;
  for (Phase phase : {Phase::flight, Phase::picture_fade_in, Phase::ripple, Phase::fade_out, Phase::words_fade_in,
                      Phase::words_hold}) {
    const double length = phase_length(phase);
    time = play_phase(context, timer, phase, time);
    consume_waiting_key(context.console);
    // The next phase begins with this one's overshoot; after a key, at 0.
    time = time > length ? time - length : 0.0;
  }
  consume_waiting_key(context.console);  // end of the run
}

int greets_fade_in_level(double time, double length) { return grey_level(255.0 - time / length * 255.0); }

int greets_fade_out_level(double time, double length) { return grey_level(time / length * 255.0); }

void greets_draw_black_border(Pixel* screen) {
  constexpr std::size_t band_bytes = border_width * screen_width * sizeof(Pixel);
  std::memset(screen, 0, band_bytes);
  std::memset(screen + (screen_height - border_width) * screen_width, 0, band_bytes);
  for (int y = border_width; y < screen_height - border_width; ++y) {
    Pixel* row = screen + y * screen_width;
    std::fill(row, row + border_width, 0u);
    std::fill(row + screen_width - border_width, row + screen_width, 0u);
  }
}
