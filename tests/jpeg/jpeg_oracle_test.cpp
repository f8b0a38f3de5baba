// Our decoder against libjpeg-turbo: every sequential and progressive form
// libjpeg's encoder writes, and every picture the demo ships, must decode to
// exactly the oracle's pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "jpeg/libjpeg_oracle.h"
#include "support/picture_check.h"

namespace {

// The corpus: "grey" or "colour", the size, then the encoder's recipe.
// Every sampling in every form libjpeg writes, at sizes of whole and of
// partial MCUs up to the decoder's limit; qualities from 10 to 100, and the
// lowest with 16-bit tables; greyscale likewise.
std::vector<std::string> corpus() {
  std::vector<std::string> cases;
  for (const std::string sampling : {"1x1", "2x1", "1x2", "2x2"}) {
    for (const char* form :
         {"64x48", "37x29", "1x1", "17x9", "8192x1", "1x8192", "35x21 restarts 1", "75x41 restarts 5",
          "50x50 optimised", "45x27 separate", "64x48 progressive", "37x29 progressive", "1x1 progressive",
          "45x27 deep", "17x9 deep", "35x21 deep restarts 1", "75x41 progressive restarts 3"}) {
      cases.push_back("colour " + std::string(form) + " " + sampling);
    }
    for (int quality = 10; quality <= 100; quality += 15) {
      cases.push_back("colour 40x24 " + sampling + " quality " + std::to_string(quality));
    }
  }
  for (int quality = 10; quality <= 100; quality += 10)
    cases.push_back("grey 61x45 quality " + std::to_string(quality));
  for (int quality : {1, 5, 10, 25}) {
    cases.push_back("grey 52x37 16-bit quality " + std::to_string(quality));
    cases.push_back("colour 52x37 2x2 16-bit quality " + std::to_string(quality));
  }
  for (int quality : {5, 30, 60, 95, 100}) {
    cases.push_back("colour 40x24 2x2 progressive 16-bit quality " + std::to_string(quality));
    cases.push_back("grey 40x24 deep 16-bit quality " + std::to_string(quality));
  }
  cases.insert(cases.end(), {"grey 1x1", "grey 17x9", "grey 8192x1", "grey 1x8192", "grey 66x30 restarts 2",
                             "grey 66x30 optimised restarts 3", "grey 33x65 quality 100 optimised",
                             "grey 61x45 progressive", "grey 1x1 progressive", "grey 8192x1 progressive",
                             "grey 1x8192 progressive", "grey 66x30 progressive restarts 2", "grey 33x65 deep",
                             "grey 70x19 deep restarts 5", "colour 640x480 2x2", "colour 640x480 2x2 progressive"});
  return cases;
}

// Our decoding of `jpeg` delivers libjpeg's decoding of `original` exactly,
// without error, and releases the stream once, at destruction. A differing
// picture is written out beside the expected one.
void expect_decodes_like_libjpeg(const std::string& name, const Bytes& jpeg, const Bytes& original) {
  SCOPED_TRACE(name);
  const DecodedPicture expected = oracle_decode(original);
  const OurDecoding ours = decode_with_ours(jpeg);
  ASSERT_EQ(ours.error, 0) << "decoder error";
  ASSERT_EQ(ours.last_result, 1);
  ASSERT_EQ(ours.lines, expected.height) << "lines delivered";
  ASSERT_EQ(ours.picture.width, expected.width);
  ASSERT_EQ(ours.picture.bytes_per_pixel, expected.bytes_per_pixel);
  EXPECT_EQ(ours.calling_order, (std::vector<int>{-1, 0, 1, 0, 1, 0, 1}))
      << "decode before begin, begin again, decode and begin after the end; attached, released before and at "
         "destruction";
  // Both as 0x00RRGGBB pixels, grey samples as grey pixels.
  const auto as_pixels = [](const DecodedPicture& picture) {
    std::vector<Pixel> pixels;
    for (std::size_t i = 0; i < picture.pixels.size(); i += picture.bytes_per_pixel) {
      const std::uint8_t* p = &picture.pixels[i];
      pixels.push_back(picture.bytes_per_pixel == 1 ? pixel_rgb(p[0], p[0], p[0]) : pixel_rgb(p[0], p[1], p[2]));
    }
    return pixels;
  };
  std::string file_name = name;
  std::replace(file_name.begin(), file_name.end(), ' ', '_');
  EXPECT_TRUE(same_picture(file_name, as_pixels(expected).data(), as_pixels(ours.picture).data(), expected.width,
                           expected.height));
}

}  // namespace

TEST(JpegOracle, EveryFormOfTheEncoderDecodesExactly) {
  for (const std::string& name : corpus()) {
    std::istringstream words(name);
    std::string kind, recipe;
    int width = 0, height = 0;
    char x = 0;
    words >> kind >> width >> x >> height;
    std::getline(words, recipe);
    const TestPicture picture = make_test_picture(width, height, kind == "grey" ? 1 : 3);
    const Bytes jpeg = libjpeg_encode(picture, encode_options(recipe));
    expect_decodes_like_libjpeg(name, jpeg, jpeg);
  }
}

// Every picture the demo ships, progressive ones (one with restarts) included.
TEST(JpegOracle, TheDemosPicturesDecodeExactly) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(QUORVANE_SOURCE_DIR) / "data")) {
    if (entry.path().extension() != ".jpg") continue;
    std::ifstream file(entry.path(), std::ios::binary);
    const Bytes jpeg{std::istreambuf_iterator<char>(file), {}};
    expect_decodes_like_libjpeg(entry.path().filename().string(), jpeg, jpeg);
    ++files;
  }
  EXPECT_GT(files, 0) << "no pictures in data/";
}

// Forms of one file that must decode as the file itself: a start of image
// up to 511 bytes in, extra segments and fill bytes, another picture after
// the end of image.
TEST(JpegOracle, FormsOfAFileDecodeAsTheFile) {
  const Bytes file = libjpeg_encode(make_test_picture(24, 16, 3), {});
  const auto scan_at =
      std::adjacent_find(file.begin(), file.end(), [](int a, int b) { return a == 0xFF && b == 0xDA; });
  const Bytes extras = {0xFF, 0xD8, 0xFF, 0xFE, 0, 4, 'h', 'i', 0xFF, 0xEF, 0, 2};  // a comment, an empty segment
  expect_decodes_like_libjpeg("511 bytes before the start of image", join({Bytes(511, 0x20), file}), file);
  expect_decodes_like_libjpeg(
      "extra segments and fill bytes",
      join({extras, Bytes(file.begin() + 2, scan_at), {0xFF, 0xFF}, Bytes(scan_at, file.end())}), file);
  expect_decodes_like_libjpeg("another picture after the end of image",
                              join({file, libjpeg_encode(make_test_picture(16, 24, 1), {})}), file);
}
