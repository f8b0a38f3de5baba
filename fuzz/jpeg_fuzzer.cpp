// libFuzzer target for the JPEG decoder: any bytes must end in a whole
// picture or an error code, with every delivered line readable, and never in
// a crash, a hang, a leak or a sanitizer report.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "jpeg/jpeg_decoder.h"

namespace {

// Pictures larger than this deliver only their first lines: delivering every
// line of a large picture would slow the search without reaching new code.
// (Their scans are decoded in full when the frame is progressive.)
constexpr long max_whole_picture_pixels = 1L << 17;
constexpr int lines_of_large_pictures = 32;

// A broken promise of the decoder's interface: report it as a crash.
void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  JpegMemoryStream stream(data, size);
  JpegDecoder decoder(&stream);
  if (decoder.error_code() != 0) {
    require(decoder.begin() == -1);
    return 0;
  }
  const bool whole = static_cast<long>(decoder.width()) * decoder.height() <= max_whole_picture_pixels;
  if (decoder.begin() != 0) {
    require(decoder.error_code() != 0);
    return 0;
  }
  const std::uint8_t* line = nullptr;
  int length = 0;
  int lines = 0;
  int result = 0;
  unsigned checksum = 0;
  while ((result = decoder.decode(&line, &length)) == 0) {
    require(length == decoder.bytes_per_line() && ++lines <= decoder.height());
    // Reading every byte lets the address sanitizer check the line's extent.
    for (int i = 0; i < length; ++i) checksum += line[i];
    if (!whole && lines == lines_of_large_pictures) return 0;
  }
  require(result == 1 ? decoder.error_code() == 0 && lines == decoder.height()
                      : result == jpeg_error_corrupt_data || result == -1);
  require(result == 1 || decoder.error_code() != 0);
  // Keeps the reads above from being optimised away.
  volatile unsigned sink = checksum;
  (void)sink;
  return 0;
}
