// The picture loaders: what lands in the destination, what stays untouched,
// and the messages on standard output.
#include "data/picture_loader.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "jpeg/libjpeg_oracle.h"
#include "shell/pixels/screen_buffer.h"
#include "support/scratch_directory.h"

namespace {

constexpr Pixel sentinel = 0x00123456;

template <class Load>
std::string output_of(Load&& load) {
  ::testing::internal::CaptureStdout();
  load();
  return ::testing::internal::GetCapturedStdout();
}

// An 8-bit palette bitmap as the portraits are stored: headers, a palette
// that says nothing useful, then file row r (the bottom first) with
// index(x, r) at x, each row padded to 4 bytes.
Bytes bitmap(int width, int height, const std::function<int(int x, int r)>& index) {
  Bytes bytes(14 + 40 + 1024, 0);
  bytes[0] = 'B';
  bytes[1] = 'M';
  for (int r = 0; r < height; ++r) {
    for (int x = 0; x < (width + 3) / 4 * 4; ++x) bytes.push_back(x < width ? static_cast<std::uint8_t>(index(x, r)) : 0xEE);
  }
  return bytes;
}

TEST(PictureLoader, JpegPicturesTakeTheDecodersLinesAndBitmapsIndexZeroAsWhiteUpright) {
  const ScratchDirectory scratch;
  for (const auto& [width, height] : {std::pair{640, 480}, {8192, 1}, {17, 9}}) {
    const std::string name = std::to_string(width) + "x" + std::to_string(height);
    const Bytes jpeg = libjpeg_encode(make_test_picture(width, height, 3), {});
    const std::string path = scratch.write(name + ".jpg", jpeg);
    std::vector<Pixel> destination(screen_pixels, sentinel);
    EXPECT_EQ(output_of([&] { load_jpeg_picture(path.c_str(), destination.data()); }), "") << name;
    const Bytes decoded = decode_with_ours(jpeg).picture.pixels;  // red, green, blue, 0 per pixel
    ASSERT_EQ(decoded.size(), 4u * width * height) << name;
    for (std::size_t i = 0; i < destination.size(); ++i) {
      const Pixel want = 4 * i < decoded.size() ? pixel_rgb(decoded[4 * i], decoded[4 * i + 1], decoded[4 * i + 2]) : sentinel;
      ASSERT_EQ(destination[i], want) << name << ": pixel " << i;
    }
  }
  // Rows of 310 stored as 312 bytes; file row r holds a nonzero index at x == r, index 0 elsewhere.
  const auto diagonal = [](int x, int r) { return x == r ? 1 + r * 37 % 255 : 0; };
  const std::string path = scratch.write("wide.bmp", bitmap(310, 64, diagonal));
  std::vector<Pixel> destination(310 * 64 + 1, sentinel);
  EXPECT_EQ(output_of([&] { load_bmp_picture(310, 64, path.c_str(), destination.data()); }), "");
  for (int i = 0; i < 310 * 64; ++i) {
    ASSERT_EQ(destination[i], i % 310 == 63 - i / 310 ? 0x00000000u : 0x00FFFFFFu) << "x " << i % 310 << ", y " << i / 310;
  }
  EXPECT_EQ(destination.back(), sentinel) << "past the picture";
}

TEST(PictureLoader, FailuresReportAndWriteNothingOrWhatCameBefore) {
  const ScratchDirectory scratch;
  Bytes truncated = libjpeg_encode(make_test_picture(64, 64, 3), {});
  truncated.resize(truncated.size() * 3 / 4);
  Bytes black = bitmap(310, 64, [](int, int) { return 1; });
  const std::string portrait = scratch.write("portrait.bmp", black);
  black.pop_back();
  const std::string short_bitmap = scratch.write("short.bmp", black);
  const std::string missing = scratch.path() + "/missing";
  const std::string wide = scratch.write("wide.jpg", libjpeg_encode(make_test_picture(641, 480, 3), {}));
  const auto cannot = [&](const char* size) { return "Error: Bitmap \"" + portrait + "\" cannot be " + size + " pixels!\n"; };
  const struct {
    std::string name, path;
    int bitmap_width, bitmap_height;  // 0, 0: a JPEG picture
    std::string message;
    bool writes_some_lines;
  } cases[] = {
      {"greyscale JPEG", scratch.write("grey.jpg", libjpeg_encode(make_test_picture(64, 32, 1), {})), 0, 0, "", false},
      {"missing JPEG", missing, 0, 0, "Error: Unable to open file \"" + missing + "\" for reading!\n", false},
      {"not a JPEG file", scratch.write("text.jpg", {'h', 'i'}), 0, 0, "Error: Decoder failed! Error status: -217\n", false},
      {"641 x 480 JPEG", wide, 0, 0, "Error: Picture \"" + wide + "\" is 641x480, more than the 307200 pixels of its destination!\n", false},
      {"truncated JPEG", scratch.write("truncated.jpg", truncated), 0, 0, "Error: Decoder failed! Error status: -227\n", true},
      {"missing bitmap", missing, 310, 64, "Error: Unable to open file \"" + missing + "\" for reading!\n", false},
      {"bitmap one byte short", short_bitmap, 310, 64, "Error: Bitmap \"" + short_bitmap + "\" is too short for 310x64 pixels!\n", false},
      {"bitmap of no width", portrait, 0, 64, cannot("0x64"), false},
      {"bitmap of no height", portrait, 310, 0, cannot("310x0"), false},
      {"bitmap larger than the screen", portrait, 641, 480, cannot("641x480"), false},
  };
  for (const auto& c : cases) {
    std::vector<Pixel> destination(screen_pixels, sentinel);
    const std::string output = output_of([&] {
      if (c.bitmap_width == 0 && c.bitmap_height == 0) load_jpeg_picture(c.path.c_str(), destination.data());
      else load_bmp_picture(c.bitmap_width, c.bitmap_height, c.path.c_str(), destination.data());
    });
    EXPECT_EQ(output, c.message) << c.name;
    EXPECT_EQ(destination.front() != sentinel, c.writes_some_lines) << c.name;
    EXPECT_EQ(destination[64 * 64], sentinel) << c.name << ": nothing past the picture";
  }
}

}  // namespace
