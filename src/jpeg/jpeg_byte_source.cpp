// Refilling the byte buffer from the stream.
#include "jpeg/jpeg_byte_source.h"

void JpegByteSource::refill() {
  buffer_[0] = buffer_[end_ - 1];
  position_ = 1;
  int count = 0;
  if (!exhausted_) {
    bool end_of_stream = false;
    count = stream_->read(buffer_ + 1, buffer_size, &end_of_stream);
    if (count < 0 || count > buffer_size) throw JpegFailure{jpeg_error_stream_read};
    // A stream that delivers nothing without saying so is treated as ended,
    // so that a faulty stream cannot keep the decoder asking forever.
    if (end_of_stream || count == 0) exhausted_ = true;
  }
  if (count == 0) {
    // Past the end: end-of-image markers. An even count keeps the FF D9
    // alternation going from one refill to the next.
    for (int i = 0; i < buffer_size; i += 2) {
      buffer_[1 + i] = 0xFF;
      buffer_[2 + i] = 0xD9;
    }
    count = buffer_size;
  }
  end_ = 1 + count;
}
