// The picture memory the scenes share: thirty ScreenBuffers and the raycast
// ray table, allocated once by the entry sequence (shared_pictures_allocate)
// and alive until the end of the run; nothing is reallocated.
// Each scene receives the record in its init and keeps a pointer to it, so
// the record must outlive the scene's run; which buffers a scene borrows,
// and what it leaves in them for the next, its header says.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>

#include "shell/pixels/screen_buffer.h"

// One ray-table entry, for the offsets (dx, dy) from a ray's start to its
// target; the table is indexed by dy * 640 + dx. Filled by raycast_init.
struct RayTableEntry {
  std::int32_t step_x;  // 16.16 fixed point
  std::int32_t step_y;  // 16.16 fixed point
  std::int32_t length;  // whole pixels
};
constexpr int ray_table_entries = screen_pixels;

// The moments (scene-time units, whole) of the two word-picture flashes of
// each scene that shows them.
struct WordFlashTimes {
  std::array<int, 2> starwarp;
  std::array<int, 2> particles;
  std::array<int, 2> blobby;
};

struct SharedPictures {
  // Cleared to black at allocation.
  ScreenBuffer* work_a = nullptr;  // raycast's last picture, which lattice cross-fades from
  ScreenBuffer* work_b = nullptr;
  ScreenBuffer* work_c = nullptr;  // raycast_init: the title's light mask
  ScreenBuffer* work_d = nullptr;
  ScreenBuffer* work_e = nullptr;
  // Filled by whoever uses them first.
  ScreenBuffer* portrait_1 = nullptr;  // lattice_init: "data/ramblekin.bmp"
  ScreenBuffer* portrait_2 = nullptr;  // lattice_init: "data/quib.bmp"
  ScreenBuffer* portrait_3 = nullptr;  // lattice_init: "data/dorvan.bmp"
  ScreenBuffer* portrait_4 = nullptr;  // lattice_init: "data/pelk.bmp"
  ScreenBuffer* work_j = nullptr;
  ScreenBuffer* tv_mask_picture = nullptr;  // "data/tvMask.jpg"
  ScreenBuffer* work_l = nullptr;           // starwarp_init: "data/starwarp.jpg"
  ScreenBuffer* work_m = nullptr;           // starwarp_init: its warp table
  ScreenBuffer* work_n = nullptr;           // greets_init: "data/greets.jpg"
  ScreenBuffer* transition_picture = nullptr;  // "data/transition.jpg", before blobby
  ScreenBuffer* zibbet_picture = nullptr;      // "data/zibbet.jpg", before greets
  // Entry k holds "data/words.jpg" (k = 0) or "data/words<k+1>.jpg":
  // 0-1 starwarp, 2-3 particles, 4-5 blobby, 6-7 greets.
  std::array<ScreenBuffer*, 8> words_pictures{};
  // Entry k holds "data/sublim.jpg" (k = 0) or "data/sublim<k+1>.jpg":
  // 0-1 starwarp, 2-3 particles, 4-5 blobby.
  std::array<ScreenBuffer*, 6> sublim_pictures{};
  // ray_table_entries entries, every field 0 at allocation.
  RayTableEntry* ray_table = nullptr;

  // Word-flash timing, read by starwarp, particles and blobby.
  WordFlashTimes word_flash_times{};
  int word_flash_bias = 0;
};

class SharedPictureMemory;

// Gives every buffer of `shared` and the ray table their memory, in the
// sequence's fixed order; the first five buffers are cleared to black, the
// others are filled by whoever uses them first.
void shared_pictures_allocate(SharedPictureMemory& memory, SharedPictures& shared);

// Owns the shared memory: hands out buffers in the order they are asked for
// and frees them all at once.
class SharedPictureMemory {
 public:
  // One more ScreenBuffer; zero now, but only the first five are promised so.
  ScreenBuffer* allocate_buffer();
  // The ray table with every field 0.
  RayTableEntry* allocate_ray_table();
  // Frees everything; pointers handed out are dangling afterwards.
  void release();

 private:
  std::deque<ScreenBuffer> buffers_;  // a deque keeps earlier elements in place
  std::unique_ptr<RayTableEntry[]> ray_table_;
};
