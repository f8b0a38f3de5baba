// JpegFileStream: the JPEG decoder's input stream over a file on disk.
#pragma once

#include <cstdio>

#include "jpeg/jpeg_input_stream.h"

class JpegFileStream : public JpegInputStream {
 public:
  JpegFileStream() = default;
  ~JpegFileStream() override { close(); }
  JpegFileStream(const JpegFileStream&) = delete;
  JpegFileStream& operator=(const JpegFileStream&) = delete;

  // Opens `path` for binary reading; false when it cannot be opened.
  bool open(const char* path);
  void close();

  // -1 without an open file or after a read error; 0 with *end_of_stream
  // set once the end of the file has been reached.
  int read(std::uint8_t* destination, int maximum, bool* end_of_stream) override;

 private:
  std::FILE* file_ = nullptr;
  bool end_of_file_ = false;
  bool read_error_ = false;
};
