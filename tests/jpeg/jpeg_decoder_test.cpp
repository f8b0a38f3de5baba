// The decoder's life cycle and stream contract: the release notification,
// the failed state, read errors, and the start-of-image search; the memory
// block limit; and pictures that must decode alike.
#include "jpeg/jpeg_decoder.h"

#include <gtest/gtest.h>

#include "jpeg/jpeg_file_edit.h"
#include "jpeg/jpeg_memory.h"
#include "jpeg/libjpeg_oracle.h"

namespace {

// An in-memory stream that counts the decoder's notifications and can fail
// its reads from a given byte on, or deliver nothing without ending.
class ProbeStream : public JpegInputStream {
 public:
  explicit ProbeStream(const Bytes& bytes) : bytes_(bytes) {}

  int read(std::uint8_t* destination, int maximum, bool* end_of_stream) override {
    if (position_ >= fail_from) return -1;
    if (stall) return 0;
    int count = 0;
    while (count < maximum && position_ < bytes_.size() && position_ < fail_from) {
      destination[count++] = bytes_[position_++];
    }
    if (position_ == bytes_.size()) *end_of_stream = true;
    return count;
  }
  void attach() override { ++attached; }
  void release() override { ++released; }

  std::size_t fail_from = static_cast<std::size_t>(-1);
  bool stall = false;
  int attached = 0;
  int released = 0;

 private:
  const Bytes& bytes_;
  std::size_t position_ = 0;
};

int decode_all(JpegDecoder& decoder) {
  const std::uint8_t* line = nullptr;
  int length = 0;
  int result = 0;
  while ((result = decoder.decode(&line, &length)) == 0) {
  }
  return result;
}

Bytes small_colour_file() { return libjpeg_encode(make_test_picture(24, 16, 3), {}); }

}  // namespace

TEST(JpegDecoder, ReleasesTheStreamExactlyOnceOnEveryPath) {
  const Bytes good = small_colour_file();
  Bytes corrupt_data = good;
  corrupt_data.resize(corrupt_data.size() - 40);  // the missing end reads as 1 bits: no Huffman code
  struct Case {
    std::string name;
    const Bytes* file;
    int expected_error;
  };
  const Bytes not_jpeg = {1, 2, 3};
  for (const Case& c : {Case{"complete picture", &good, 0}, Case{"not a JPEG file", &not_jpeg, jpeg_error_not_jpeg},
                        Case{"data ends early", &corrupt_data, jpeg_error_corrupt_data}}) {
    ProbeStream stream(*c.file);
    {
      JpegDecoder decoder(&stream);
      EXPECT_EQ(stream.attached, 1) << c.name;
      decoder.begin();
      decode_all(decoder);
      EXPECT_EQ(decoder.error_code(), c.expected_error) << c.name;
      EXPECT_EQ(stream.released, c.expected_error == 0 ? 0 : 1) << c.name << ": released at the error";
    }
    EXPECT_EQ(stream.released, 1) << c.name << ": after destruction";
  }
}

TEST(JpegDecoder, FollowsItsCallingOrder) {
  const Bytes file = small_colour_file();
  JpegMemoryStream stream(file.data(), file.size());
  JpegDecoder decoder(&stream);
  const std::uint8_t* line = nullptr;
  int length = 0;
  EXPECT_EQ(decoder.decode(&line, &length), -1) << "decode before begin";
  EXPECT_EQ(decoder.begin(), 0);
  EXPECT_EQ(decoder.begin(), 0) << "begin again";
  EXPECT_EQ(decoder.bytes_per_pixel(), 4);
  EXPECT_EQ(decoder.bytes_per_line(), 24 * 4);
  for (int y = 0; y < 16; ++y) {
    ASSERT_EQ(decoder.decode(&line, &length), 0) << "line " << y;
    EXPECT_EQ(length, 24 * 4);
  }
  EXPECT_EQ(decoder.decode(&line, &length), 1);
  EXPECT_EQ(decoder.decode(&line, &length), 1) << "still finished";
  EXPECT_EQ(decoder.error_code(), 0);
}

TEST(JpegDecoder, StaysFailedAfterAnError) {
  Bytes file = small_colour_file();
  file.resize(file.size() - 40);
  JpegMemoryStream stream(file.data(), file.size());
  JpegDecoder decoder(&stream);
  ASSERT_EQ(decoder.begin(), 0);
  const std::uint8_t* line = nullptr;
  int length = 0;
  int result = 0;
  while ((result = decoder.decode(&line, &length)) == 0) {
  }
  ASSERT_EQ(result, jpeg_error_corrupt_data);
  EXPECT_EQ(decoder.error_code(), jpeg_error_corrupt_data);
  EXPECT_EQ(decoder.decode(&line, &length), -1);
  EXPECT_EQ(decoder.begin(), -1);
  EXPECT_EQ(decoder.error_code(), jpeg_error_corrupt_data) << "the first error stays";
}

TEST(JpegDecoder, StreamReadErrorsEndInTheirCode) {
  const Bytes file = libjpeg_encode(make_test_picture(160, 120, 3), {});
  struct Case {
    std::string name;
    std::size_t fail_from;
    bool construct_fails;
  };
  // The decoder reads 4096 bytes at a time: failing from byte 0 hits the
  // first read, failing inside the data hits a later one.
  ASSERT_GT(file.size(), 4096u + 100) << "the file must need a second read";
  for (const Case& c : {Case{"first read", 0, true}, Case{"second read", 5000, false}}) {
    ProbeStream stream(file);
    stream.fail_from = c.fail_from;
    JpegDecoder decoder(&stream);
    EXPECT_EQ(decoder.error_code() != 0, c.construct_fails) << c.name;
    if (!c.construct_fails) {
      EXPECT_EQ(decoder.begin(), 0) << c.name;
      EXPECT_EQ(decode_all(decoder), jpeg_error_corrupt_data) << c.name;
    }
    EXPECT_EQ(decoder.error_code(), jpeg_error_stream_read) << c.name;
    EXPECT_EQ(stream.released, 1) << c.name;
  }
}

TEST(JpegDecoder, AStreamThatDeliversNothingCountsAsEnded) {
  const Bytes file = small_colour_file();
  ProbeStream stream(file);
  stream.stall = true;
  JpegDecoder decoder(&stream);
  EXPECT_EQ(decoder.error_code(), jpeg_error_not_jpeg);
}

TEST(JpegDecoder, FindsTheStartOfImageUpTo513BytesIn) {
  const Bytes file = small_colour_file();
  const OurDecoding plain = decode_with_ours(file);
  for (std::size_t junk : {1u, 100u, 511u}) {
    Bytes late(junk, 0x20);
    late.insert(late.end(), file.begin(), file.end());
    const OurDecoding got = decode_with_ours(late);
    EXPECT_EQ(got.error, 0) << junk << " bytes before FF D8";
    EXPECT_EQ(got.picture.pixels, plain.picture.pixels) << junk << " bytes before FF D8";
  }
}

TEST(JpegDecoder, RestartsFillBytesAndExtraSegmentsDoNotChangeThePicture) {
  const TestPicture picture = make_test_picture(50, 34, 3);
  const OurDecoding plain = decode_with_ours(libjpeg_encode(picture, {}));
  ASSERT_EQ(plain.error, 0);

  EncodeOptions restarts;
  restarts.restart_interval = 1;
  Bytes with_restarts = libjpeg_encode(picture, restarts);
  ASSERT_FALSE(find_bytes(with_restarts, {0xFF, 0xD7}).empty()) << "the restart numbers must wrap";

  JpegParts parts = split_jpeg(libjpeg_encode(picture, {}));
  parts.segments.insert(parts.segments.begin(), make_segment(0xFE, {'h', 'i'}));  // a comment
  parts.segments.insert(parts.segments.begin(), make_segment(0xEF, {}));          // an empty application segment
  Bytes with_extras = join_jpeg(parts);
  // Fill bytes before the start of scan.
  const std::size_t scan = find_bytes(with_extras, {0xFF, 0xDA})[0];
  with_extras.insert(with_extras.begin() + static_cast<long>(scan), {0xFF, 0xFF, 0xFF});

  for (const auto& [name, file] : {std::pair<std::string, Bytes>{"restarts", with_restarts},
                                   std::pair<std::string, Bytes>{"extra segments and fill", with_extras}}) {
    const OurDecoding got = decode_with_ours(file);
    EXPECT_EQ(got.error, 0) << name;
    EXPECT_EQ(got.picture.pixels, plain.picture.pixels) << name;
  }
}

TEST(JpegDecoder, AComponentThatNoScanCodesStaysMidGrey) {
  EncodeOptions separate;
  separate.separate_scans = true;
  JpegParts parts = split_jpeg(libjpeg_encode(make_test_picture(16, 16, 3), separate));
  // End the file after the first scan (luma only): no chroma at all.
  parts.tail.resize(find_bytes(parts.tail, {0xFF, 0xDA})[0]);
  parts.tail.insert(parts.tail.end(), {0xFF, 0xD9});
  const OurDecoding got = decode_with_ours(join_jpeg(parts));
  ASSERT_EQ(got.error, 0);
  ASSERT_EQ(got.lines, 16);
  // With Cb = Cr = 128 the colour tables keep red and blue near the luma.
  const Bytes& p = got.picture.pixels;
  for (std::size_t i = 0; i < p.size(); i += 4) {
    ASSERT_LE(std::abs(p[i] - p[i + 2]), 2) << "pixel " << i / 4 << " is not grey";
  }
}

TEST(JpegMemory, AllowsAHundredBlocksAndThenFails) {
  JpegMemory memory;
  for (int i = 0; i < JpegMemory::max_blocks; ++i) {
    auto* block = memory.allocate<std::uint64_t>(4);
    ASSERT_EQ(reinterpret_cast<std::uintptr_t>(block) % 8, 0u);
    ASSERT_EQ(block[0] | block[1] | block[2] | block[3], 0u) << "block " << i << " is not zero-filled";
  }
  try {
    memory.allocate<std::uint8_t>(1);
    FAIL() << "block 101 was allowed";
  } catch (const JpegFailure& failure) {
    EXPECT_EQ(failure.code, jpeg_error_memory_blocks);
  }
  memory.release_all();
  EXPECT_EQ(memory.block_count(), 0);
  EXPECT_NE(memory.allocate<std::uint8_t>(1), nullptr);
}
