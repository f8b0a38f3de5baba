// Refilling the bit buffer byte by byte, at stuffed bytes and markers.
#include "jpeg/jpeg_bit_reader.h"

JpegBitBuffer JpegBitReader::refill(JpegBitBuffer buffer) {
  while (buffer.count <= 56) {
    std::uint8_t byte = 0xFF;
    if (!at_marker_) {
      byte = source_.fetch();
      if (byte == 0xFF) {
        if (source_.peek() == 0x00) {
          source_.fetch();  // stuffed zero: FF is data
        } else {
          source_.unfetch();  // leave the FF of the marker unread
          at_marker_ = true;
        }
      }
    }
    buffer.bits |= static_cast<std::uint64_t>(byte) << (56 - buffer.count);
    buffer.count += 8;
  }
  return buffer;
}
