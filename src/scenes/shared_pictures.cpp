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
