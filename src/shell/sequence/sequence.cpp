// The entry sequence, in its fixed order, on the backend it is given.
#include "shell/sequence/sequence.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "data/picture_loader.h"
#include "scenes/blobby.h"
#include "scenes/greets.h"
#include "scenes/lattice.h"
#include "scenes/particles.h"
#include "scenes/raycast.h"
#include "scenes/scene.h"
#include "scenes/starwarp.h"
#include "shell/audio/music.h"
#include "shell/platform/message_box.h"
#include "shell/platform/ptc.h"

namespace {

constexpr const char* demo_title = "Quorvane by Brasklet productions";

// Tells the observer, if any, what comes next.
class Steps {
 public:
  explicit Steps(SequenceObserver* observer) : observer_(observer) {}

  void next(SequenceStep step, std::string_view name = {}) {
    if (observer_ != nullptr) observer_->before(SequenceEvent{step, name, shared_});
  }
  void share(const SharedPictures* shared) { shared_ = shared; }

 private:
  SequenceObserver* observer_;
  const SharedPictures* shared_ = nullptr;
};

// Options reach a console only before it opens. Their results are ignored: a
// console that cannot honour one opens as best it can.
void pass_fullscreen_options(ptc::Console& console) {
  console.option("DirectX");
  console.option("fullscreen output");
  console.option("default width 640");
  console.option("default height 480");
}

void load_picture(const char* path, ScreenBuffer* destination) { load_jpeg_picture(path, destination->pixels()); }

// Shown before the long start-up (the shared pictures, then every scene's
// own files), so the user has a picture at once. Decoded straight into the
// staging surface and shown by one update; nothing waits for it: it stays
// on screen while the start-up goes on, until the first scene's first frame.
void show_loading_picture(ptc::Console& console, ptc::Surface& surface, Steps& steps) {
  Pixel* pixels = surface.lock();
  load_jpeg_picture("data/intro.jpg", pixels);
  surface.unlock();
  surface.copy(console);
  steps.next(SequenceStep::present_picture, "loading picture");
  console.update();
}

// A between-scene picture: one whole-picture copy and one update. It stays
// on screen while the next scene starts, until that scene's first frame.
void present_picture(const SceneContext& context, const ScreenBuffer& picture, const char* name, Steps& steps) {
  Pixel* pixels = context.surface.lock();
  std::memcpy(pixels, picture.pixels(), screen_bytes);
  context.surface.unlock();
  context.surface.copy(context.console);
  steps.next(SequenceStep::present_picture, name);
  context.console.update();
}

// The shared pictures, and the two the sequence shows between scenes, into
// the buffers shared_pictures_allocate gave them.
void load_shared_pictures(SharedPictures& shared) {
  load_picture("data/tvMask.jpg", shared.tv_mask_picture);
  static const char* const word_files[] = {"data/words.jpg",  "data/words2.jpg", "data/words3.jpg",
                                           "data/words4.jpg", "data/words5.jpg", "data/words6.jpg",
                                           "data/words7.jpg", "data/words8.jpg"};
  for (std::size_t k = 0; k < shared.words_pictures.size(); ++k) {
    load_picture(word_files[k], shared.words_pictures[k]);
  }
  static const char* const sublim_files[] = {"data/sublim.jpg",  "data/sublim2.jpg", "data/sublim3.jpg",
                                             "data/sublim4.jpg", "data/sublim5.jpg", "data/sublim6.jpg"};
  for (std::size_t k = 0; k < shared.sublim_pictures.size(); ++k) {
    load_picture(sublim_files[k], shared.sublim_pictures[k]);
  }
  load_picture("data/transition.jpg", shared.transition_picture);
  load_picture("data/zibbet.jpg", shared.zibbet_picture);
}

// Each scene keeps the shared record as it initialises and reads its own
// files, some of them into the shared buffers: the longest part of the
// start-up, behind the loading picture.
void init_scenes(const SharedPictures& shared) {
  raycast_init(shared);
  lattice_init(shared);
  starwarp_init(shared);
  particles_init(shared);
  blobby_init(shared);
  greets_init(shared);
}

// The order is fixed because scenes leave pictures for those that follow:
// lattice cross-fades from the raycast scene's last frame. The preparations
// fill index tables in buffers the earlier scenes used differently, so each
// comes only after the last of those scenes has run; blobby does not touch
// the buffer greets_prepare fills, so it can come before the transition.
void play_scenes(const SceneContext& context, const SharedPictures& shared, Steps& steps) {
  steps.next(SequenceStep::run_scene, "raycast");
  raycast_run(context);
  steps.next(SequenceStep::run_scene, "lattice");
  lattice_run(context);
  steps.next(SequenceStep::run_scene, "starwarp");
  starwarp_run(context);
  particles_prepare();
  steps.next(SequenceStep::run_scene, "particles");
  particles_run(context);
  greets_prepare();
  present_picture(context, *shared.transition_picture, "transition_picture", steps);
  steps.next(SequenceStep::run_scene, "blobby");
  blobby_run(context);
  present_picture(context, *shared.zibbet_picture, "zibbet_picture", steps);
  steps.next(SequenceStep::run_scene, "greets");
  greets_run(context);
}

}  // namespace

int play_demo(ptc::Backend& backend, const DemoOptions& options, SequenceObserver* observer) {
  // The generator's state before any seeding: a second run in the same
  // process draws the same numbers as the first.
  std::srand(1);
  Steps steps(observer);
  const bool music = options.music;
  try {
    ptc::Console console(backend);
    const ptc::Format format(32, pixel_red_mask, pixel_green_mask, pixel_blue_mask, 0);
    if (options.fullscreen) pass_fullscreen_options(console);
    console.open(demo_title, screen_width, screen_height, format, 0);
    // Right after the console opens: its window owns the boxes that report
    // audio errors.
    if (music) music_init(console.window());
    ptc::Surface surface(screen_width, screen_height, format);
    show_loading_picture(console, surface, steps);

    SharedPictureMemory memory;
    SharedPictures shared;
    // Every buffer the scenes share exists before the first scene
    // initialises, and none is reallocated: the scenes keep pointers into
    // them to the end of the run.
    shared_pictures_allocate(memory, shared);
    shared.word_flash_times = WordFlashTimes{{50, 100}, {50, 100}, {50, 105}};
    shared.word_flash_bias = 50;
    load_shared_pictures(shared);
    steps.share(&shared);
    init_scenes(shared);
    // Only once every scene has loaded, so that the music starts with the
    // first scene rather than during the loading.
    if (music) music_play(console.window());
    play_scenes(SceneContext{console, surface}, shared, steps);

    // Tear-down: the music stops first, whether or not it ever started
    // (freeing an unstarted audio library does nothing); the shared memory
    // goes once no scene can use it; the console closes last.
    steps.next(SequenceStep::free_music);
    BASS_Free();
    memory.release();
    shared = SharedPictures{};
    console.close();  // then the surface, the format and the console go as the scope ends
  } catch (const ptc::DynamicError& error) {
    BASS_Free();  // the music stops before the user reads the error
    error.report();
  } catch (const std::bad_alloc&) {
    BASS_Free();
    report_fatal_error("Not enough memory to run the demo.");
  }
  return 0;  // every failure has been shown to the user already
}
