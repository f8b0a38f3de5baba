// The byte source a JpegDecoder reads from. The file-backed stream of the
// picture loaders and the in-memory stream of the tools derive from it.
#pragma once

#include <cstddef>
#include <cstdint>

class JpegInputStream {
 public:
  virtual ~JpegInputStream() = default;

  // Delivers up to `maximum` bytes into `destination` and returns how many
  // (0 up to maximum), or -1 on a read error. Once the source is exhausted it
  // sets *end_of_stream; later calls deliver 0 bytes and set it again.
  virtual int read(std::uint8_t* destination, int maximum, bool* end_of_stream) = 0;

  // Called by the decoder when it takes the stream on.
  virtual void attach() {}
  // Called by the decoder exactly once, when it frees its resources (on an
  // error or on destruction, whichever comes first).
  virtual void release() {}
};

// Reads from bytes held in memory; the bytes must outlive the stream.
class JpegMemoryStream : public JpegInputStream {
 public:
  JpegMemoryStream(const std::uint8_t* bytes, std::size_t size) : bytes_(bytes), size_(size) {}

  int read(std::uint8_t* destination, int maximum, bool* end_of_stream) override;

 private:
  const std::uint8_t* bytes_;
  std::size_t size_;
  std::size_t position_ = 0;
};
