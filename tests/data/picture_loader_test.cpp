// The picture loaders: what lands in the destination, what stays untouched,
// and the messages on standard output.
#include "data/picture_loader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jpeg/libjpeg_oracle.h"
#include "shell/pixels/screen_buffer.h"
#include "support/scratch_directory.h"

namespace {

constexpr Pixel sentinel = 0x00123456;

// Loads a JPEG picture (width and height 0) or a width x height bitmap into a
// screen of `sentinel` pixels; returns what the loader printed.
std::string load(std::vector<Pixel>& destination, const std::string& path, int width = 0, int height = 0) {
  destination.assign(screen_pixels, sentinel);
  ::testing::internal::CaptureStdout();
  if (width == 0 && height == 0) load_jpeg_picture(path.c_str(), destination.data());
  else load_bmp_picture(width, height, path.c_str(), destination.data());
  return ::testing::internal::GetCapturedStdout();
}

TEST(PictureLoader, JpegPicturesTakeTheDecodersLinesBitmapsIndexZeroAsWhiteUprightAndFailuresReport) {
  const ScratchDirectory scratch;
  std::vector<Pixel> destination;
  for (const auto& [width, height] : {std::pair{640, 480}, {8192, 1}, {17, 9}}) {
    const std::string name = std::to_string(width) + "x" + std::to_string(height);
    const Bytes jpeg = libjpeg_encode(make_test_picture(width, height, 3), {});
    EXPECT_EQ(load(destination, scratch.write(name + ".jpg", jpeg)), "") << name;
    const Bytes decoded = decode_with_ours(jpeg).picture.pixels;  // red, green, blue, 0 per pixel
    for (std::size_t i = 0; i < destination.size(); ++i) {
      const Pixel want = 4 * i < decoded.size() ? pixel_rgb(decoded[4 * i], decoded[4 * i + 1], decoded[4 * i + 2]) : sentinel;
      ASSERT_EQ(destination[i], want) << name << ": pixel " << i;
    }
  }
  // A 310 x 64 bitmap as the portraits are stored: headers and a palette the loader skips, then file row r (the
  // bottom first) with a nonzero index at x == r and index 0 elsewhere, each row padded to 312 bytes.
  Bytes diagonal(14 + 40 + 1024, 0);
  for (int r = 0; r < 64; ++r) {
    for (int x = 0; x < 312; ++x) diagonal.push_back(x >= 310 ? 0xEE : x == r ? 1 + r * 37 % 255 : 0);
  }
  const std::string portrait = scratch.write("portrait.bmp", diagonal);
  EXPECT_EQ(load(destination, portrait, 310, 64), "");
  for (int i = 0; i < screen_pixels; ++i) {
    const Pixel want = i >= 310 * 64 ? sentinel : i % 310 == 63 - i / 310 ? 0x00000000u : 0x00FFFFFFu;
    ASSERT_EQ(destination[i], want) << "x " << i % 310 << ", y " << i / 310;
  }
  // Failures write nothing, or the lines that came before.
  Bytes truncated = libjpeg_encode(make_test_picture(64, 64, 3), {});
  truncated.resize(truncated.size() * 3 / 4);
  diagonal.pop_back();
  const std::string short_bitmap = scratch.write("short.bmp", diagonal);
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
    EXPECT_EQ(load(destination, c.path, c.bitmap_width, c.bitmap_height), c.message) << c.name;
    EXPECT_EQ(destination.front() != sentinel, c.writes_some_lines) << c.name;
    EXPECT_EQ(destination[64 * 64], sentinel) << c.name << ": nothing past the picture";
  }
}

}  // namespace
