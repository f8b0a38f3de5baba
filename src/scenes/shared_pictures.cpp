// Allocation and release of the shared picture memory.
#include "scenes/shared_pictures.h"

ScreenBuffer* SharedPictureMemory::allocate_buffer() {
  buffers_.emplace_back();
  return &buffers_.back();
}

RayTableEntry* SharedPictureMemory::allocate_ray_table() {
  ray_table_.reset(new RayTableEntry[ray_table_entries]());  // () value-initialises: all fields 0
  return ray_table_.get();
}

void SharedPictureMemory::release() {
  buffers_.clear();
  ray_table_.reset();
}

void shared_pictures_allocate(SharedPictureMemory& memory, SharedPictures& shared) {
  for (ScreenBuffer** buffer : {&shared.work_a, &shared.work_b, &shared.work_c, &shared.work_d, &shared.work_e}) {
    *buffer = memory.allocate_buffer();
    (*buffer)->clear();
  }
  for (ScreenBuffer** buffer : {&shared.portrait_1, &shared.portrait_2, &shared.portrait_3, &shared.portrait_4,
                                &shared.work_j, &shared.tv_mask_picture, &shared.work_l, &shared.work_m,
                                &shared.work_n, &shared.transition_picture, &shared.zibbet_picture}) {
    *buffer = memory.allocate_buffer();
  }
  for (ScreenBuffer*& buffer : shared.words_pictures) buffer = memory.allocate_buffer();
  for (ScreenBuffer*& buffer : shared.sublim_pictures) buffer = memory.allocate_buffer();
  shared.ray_table = memory.allocate_ray_table();
}
