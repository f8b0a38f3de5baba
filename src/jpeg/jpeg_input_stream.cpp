// The in-memory input stream.
#include "jpeg/jpeg_input_stream.h"

#include <algorithm>
#include <cstring>

int JpegMemoryStream::read(std::uint8_t* destination, int maximum, bool* end_of_stream) {
  const std::size_t left = size_ - position_;
  const std::size_t count = std::min(left, static_cast<std::size_t>(std::max(maximum, 0)));
  if (count > 0) std::memcpy(destination, bytes_ + position_, count);
  position_ += count;
  if (position_ == size_) *end_of_stream = true;
  return static_cast<int>(count);
}
