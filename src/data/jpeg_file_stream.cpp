// Reading JPEG bytes from a file.
#include "data/jpeg_file_stream.h"

bool JpegFileStream::open(const char* path) {
  close();
  file_ = std::fopen(path, "rb");
  return file_ != nullptr;
}

void JpegFileStream::close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  end_of_file_ = false;
  read_error_ = false;
}

int JpegFileStream::read(std::uint8_t* destination, int maximum, bool* end_of_stream) {
  if (file_ == nullptr) return -1;
  if (end_of_file_) {
    *end_of_stream = true;
    return 0;
  }
  if (read_error_ || maximum < 0) return -1;
  const std::size_t wanted = static_cast<std::size_t>(maximum);
  const std::size_t got = std::fread(destination, 1, wanted, file_);
  if (got == wanted) return static_cast<int>(got);
  if (std::ferror(file_)) {
    read_error_ = true;
    return -1;
  }
  end_of_file_ = true;
  *end_of_stream = true;
  return static_cast<int>(got);
}
