// The decoder's life cycle and stream contract: the release notification,
// the failed state, read errors, and the start-of-image search; the memory
// block limit; and pictures that must decode alike.
#include "jpeg/jpeg_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "jpeg/jpeg_memory.h"
#include "jpeg/libjpeg_oracle.h"

namespace {

// Where the file's start-of-scan markers (FF DA) are.
std::vector<Bytes::const_iterator> scans(const Bytes& jpeg) {
  std::vector<Bytes::const_iterator> places;
  const Bytes marker = {0xFF, 0xDA};
  for (auto at = jpeg.begin(); (at = std::search(at, jpeg.end(), marker.begin(), marker.end())) != jpeg.end(); ++at) {
    places.push_back(at);
  }
  return places;
}

// An in-memory stream that counts the decoder's notifications and fails its
// reads from byte `fail_from` on, or delivers nothing without ending.
class ProbeStream : public JpegInputStream {
 public:
  ProbeStream(const Bytes& bytes, std::size_t fail_from, bool stall)
      : bytes_(bytes), fail_from_(fail_from), stall_(stall) {}

  int read(std::uint8_t* destination, int maximum, bool* end_of_stream) override {
    if (position_ >= fail_from_) return -1;
    if (stall_) return 0;
    int count = 0;
    while (count < maximum && position_ < bytes_.size() && position_ < fail_from_) {
      destination[count++] = bytes_[position_++];
    }
    if (position_ == bytes_.size()) *end_of_stream = true;
    return count;
  }
  void attach() override { ++attached; }
  void release() override { ++released; }

  int attached = 0;
  int released = 0;

 private:
  const Bytes& bytes_;
  std::size_t fail_from_;
  bool stall_;
  std::size_t position_ = 0;
};

}  // namespace

// Every way a decoding ends, through the calling order: decode before begin
// refuses, begin may come twice, every line has its length, and the end (1
// or the error) stays. The stream is attached once and released once, at the
// error or else at destruction; an error keeps its first code.
TEST(JpegDecoder, EndsEveryPathWithOneReleaseAndStaysFailed) {
  const Bytes small = libjpeg_encode(make_test_picture(24, 16, 3), {});
  const Bytes cut(small.begin(), small.end() - 40);  // the missing end reads as 1 bits: no Huffman code
  // The decoder reads 4096 bytes at a time: failing from byte 0 hits the
  // first read, failing from 5000 a later one.
  const Bytes large = libjpeg_encode(make_test_picture(160, 120, 3), {});
  ASSERT_GT(large.size(), 4096u + 1000) << "the file must need a second read";
  const Bytes not_jpeg = {1, 2, 3};
  const std::size_t never = static_cast<std::size_t>(-1);
  struct Case {
    std::string name;
    const Bytes& file;
    std::size_t fail_from;
    bool stall;
    int constructed;  // error code after construction
    int error;        // error code at the end
    int last_result;  // decode()'s final return value
  };
  const Case cases[] = {
      {"complete picture", small, never, false, 0, 0, 1},
      {"not a JPEG file", not_jpeg, never, false, jpeg_error_not_jpeg, jpeg_error_not_jpeg, -1},
      {"data ends early", cut, never, false, 0, jpeg_error_corrupt_data, jpeg_error_corrupt_data},
      {"first read fails", large, 0, false, jpeg_error_stream_read, jpeg_error_stream_read, -1},
      {"second read fails", large, 5000, false, 0, jpeg_error_stream_read, jpeg_error_corrupt_data},
      {"stream delivers nothing (counts as ended)", small, never, true, jpeg_error_not_jpeg, jpeg_error_not_jpeg, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProbeStream stream(c.file, c.fail_from, c.stall);
    {
      JpegDecoder decoder(&stream);
      EXPECT_EQ(stream.attached, 1);
      EXPECT_EQ(decoder.error_code(), c.constructed) << "after construction";
      const std::uint8_t* line = nullptr;
      int length = 0;
      EXPECT_EQ(decoder.decode(&line, &length), -1) << "decode before begin";
      EXPECT_EQ(decoder.begin(), c.constructed == 0 ? 0 : -1);
      EXPECT_EQ(decoder.begin(), c.constructed == 0 ? 0 : -1) << "begin again";
      int result = 0;
      int lines = 0;
      while ((result = decoder.decode(&line, &length)) == 0) {
        ASSERT_EQ(length, decoder.bytes_per_line()) << "line " << lines;
        ++lines;
      }
      EXPECT_EQ(result, c.last_result);
      EXPECT_EQ(decoder.decode(&line, &length), c.error == 0 ? 1 : -1) << "the end stays";
      EXPECT_EQ(decoder.begin(), c.error == 0 ? 0 : -1) << "begin after the end";
      EXPECT_EQ(decoder.error_code(), c.error) << "the first error stays";
      EXPECT_EQ(stream.released, c.error == 0 ? 0 : 1) << "released at the error";
      if (c.error == 0) {
        EXPECT_EQ(lines, decoder.height());
        EXPECT_EQ(decoder.bytes_per_line(), decoder.width() * 4) << "4 bytes a colour pixel";
      }
    }
    EXPECT_EQ(stream.released, 1) << "after destruction";
  }
}

// Forms of one picture that must decode to the same pixels: a start of image
// up to 513 bytes in, extra segments and fill bytes, garbage after the end of
// image.
TEST(JpegDecoder, FormsOfOnePictureDecodeAlike) {
  const Bytes file = libjpeg_encode(make_test_picture(50, 34, 3), {});
  std::vector<std::pair<std::string, Bytes>> forms;
  for (std::size_t junk : {1u, 100u, 511u}) {
    Bytes late(junk, 0x20);
    late.insert(late.end(), file.begin(), file.end());
    forms.emplace_back(std::to_string(junk) + " bytes before FF D8", late);
  }
  // A comment and an empty application segment after the start of image,
  // and fill bytes before the start of scan.
  Bytes with_extras = file;
  with_extras.insert(with_extras.begin() + 2, {0xFF, 0xFE, 0, 4, 'h', 'i', 0xFF, 0xEF, 0, 2});
  with_extras.insert(scans(with_extras)[0], {0xFF, 0xFF, 0xFF});
  forms.emplace_back("extra segments and fill", with_extras);
  Bytes with_garbage = file;
  std::mt19937 random(7);
  for (int i = 0; i < 5000; ++i) with_garbage.push_back(static_cast<std::uint8_t>(random()));
  forms.emplace_back("garbage after the end of image", with_garbage);

  const OurDecoding plain = decode_with_ours(file);
  ASSERT_EQ(plain.error, 0);
  for (const auto& [name, form] : forms) {
    const OurDecoding got = decode_with_ours(form);
    EXPECT_EQ(got.error, 0) << name;
    EXPECT_EQ(got.picture.pixels, plain.picture.pixels) << name;
  }
}

TEST(JpegDecoder, AComponentThatNoScanCodesStaysMidGrey) {
  // The file ends after its first scan (luma only): no chroma at all.
  const Bytes file = libjpeg_encode(make_test_picture(16, 16, 3), encode_options("separate"));
  Bytes luma_only(file.begin(), scans(file)[1]);
  luma_only.insert(luma_only.end(), {0xFF, 0xD9});
  const OurDecoding got = decode_with_ours(luma_only);
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
