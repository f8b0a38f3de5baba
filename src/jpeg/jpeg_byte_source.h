// Buffered bytes from a JpegInputStream. Past the end of the data the source
// hands out FF D9 FF D9 ..., an endless run of end-of-image markers, so every
// reader (marker search, entropy decoding) ends without special cases.
#pragma once

#include <cstdint>

#include "jpeg/jpeg_errors.h"
#include "jpeg/jpeg_input_stream.h"

class JpegByteSource {
 public:
  static constexpr int buffer_size = 4096;

  explicit JpegByteSource(JpegInputStream* stream) : stream_(stream) {}

  std::uint8_t fetch() {
    if (position_ == end_) refill();
    return buffer_[position_++];
  }
  // The next byte, left unread.
  std::uint8_t peek() {
    if (position_ == end_) refill();
    return buffer_[position_];
  }
  // Steps back over the byte fetched last. Only one step is guaranteed.
  void unfetch() { --position_; }

  // A big-endian 16-bit value.
  unsigned fetch_u16() {
    const unsigned high = fetch();
    return high << 8 | fetch();
  }
  void skip(long count) {
    for (long i = 0; i < count; ++i) fetch();
  }

  // The bytes already buffered, to be read in place and then stepped over
  // with advance(); at most buffered() of them.
  int buffered() const { return end_ - position_; }
  const std::uint8_t* buffered_bytes() const { return buffer_ + position_; }
  void advance(int count) { position_ += count; }

 private:
  void refill();

  JpegInputStream* stream_;
  bool exhausted_ = false;
  // buffer_[0] keeps the byte fetched before the last refill, so that
  // unfetch() works across a refill.
  int position_ = 1;
  int end_ = 1;
  std::uint8_t buffer_[1 + buffer_size] = {};
};
