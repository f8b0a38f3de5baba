// The committed data/ through the demo's own readers: every picture, portrait,
// parameter file and path loads without a message and holds what the scenes
// read from it.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "data/config_reader.h"
#include "data/picture_loader.h"
#include "data/spline_path.h"
#include "jpeg/jpeg_decoder.h"
#include "jpeg/jpeg_input_stream.h"
#include "shell/pixels/screen_buffer.h"

namespace {

const std::string data_dir = std::string(QUORVANE_SOURCE_DIR) + "/data/";

const char* const picture_files[] = {
    "intro.jpg",  "title.jpg",   "tvMask.jpg",  "words.jpg",   "words2.jpg",     "words3.jpg",
    "words4.jpg", "words5.jpg",  "words6.jpg",  "words7.jpg",  "words8.jpg",     "sublim.jpg",
    "sublim2.jpg", "sublim3.jpg", "sublim4.jpg", "sublim5.jpg", "sublim6.jpg",   "transition.jpg",
    "zibbet.jpg", "starwarp.jpg", "greets.jpg"};

// What the decoder's header says, as "width x height x components", or the error.
std::string describe_header(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  JpegMemoryStream stream(bytes.data(), bytes.size());
  JpegDecoder decoder(&stream);
  const int error = decoder.error_code() != 0 ? decoder.error_code() : decoder.begin();
  if (error != 0) return "error " + std::to_string(error);
  return std::to_string(decoder.width()) + " x " + std::to_string(decoder.height()) + " x " +
         std::to_string(decoder.component_count());
}

}  // namespace

TEST(DataFiles, EveryPictureIsA640x480ColourJpegThatLoadsSilently) {
  for (const char* name : picture_files) {
    const std::string path = data_dir + name;
    EXPECT_EQ(describe_header(path), "640 x 480 x 3") << name << ": the loader ignores greyscale pictures";
    ScreenBuffer picture;
    testing::internal::CaptureStdout();
    load_jpeg_picture(path.c_str(), picture.pixels());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << name;
    EXPECT_NE(std::count(picture.pixels(), picture.pixels() + screen_pixels, 0u), screen_pixels)
        << name << " decoded to an all-black buffer";
  }
}

TEST(DataFiles, PortraitsLoadSilentlyInBothColours) {
  for (const char* name : {"ramblekin.bmp", "quib.bmp", "dorvan.bmp", "pelk.bmp"}) {
    const std::string path = data_dir + name;
    ScreenBuffer portrait;
    std::fill(portrait.pixels(), portrait.pixels() + screen_pixels, 0x123456u);
    testing::internal::CaptureStdout();
    load_bmp_picture(310, 64, path.c_str(), portrait.pixels());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << name;
    const Pixel* first = portrait.pixels();
    const Pixel* end = first + 310 * 64;
    const auto white = std::count(first, end, 0x00FFFFFFu);
    const auto black = std::count(first, end, 0u);
    EXPECT_EQ(white + black, 310 * 64) << name << ": every pixel is white or black";
    EXPECT_GT(white, 310 * 64 / 50) << name << ": the handle and emblem are drawn";
    EXPECT_GT(black, 310 * 64 / 2) << name << ": on a black ground";
  }
}

TEST(DataFiles, EveryPathHasEnoughKeysAtIncreasingTimes) {
  for (const char* name : {"lightR.bsp", "l-camera.bsp", "l-axis.bsp", "l-angle.bsp", "p-loc.bsp", "p-axis.bsp",
                           "g-camera.bsp", "g-axis.bsp"}) {
    const std::string path = "data/" + std::string(name);
    SplinePath spline;
    testing::internal::CaptureStdout();
    path_load(spline, (std::string(QUORVANE_SOURCE_DIR) + "/" + path).c_str());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << name;
    ASSERT_GE(spline.count, 4) << name;
    ASSERT_EQ(spline.times.size(), static_cast<std::size_t>(spline.count)) << name;
    for (int k = 1; k < spline.count; ++k) EXPECT_LT(spline.times[k - 1], spline.times[k]) << name << " key " << k;
  }
}

TEST(DataFiles, EveryParameterFileYieldsExactlyTheValuesItsSceneReads) {
  struct Case {
    const char* name;
    int values;
  };
  for (const Case& c : {Case{"raycast.conf", 2}, Case{"lattice.conf", 15}, Case{"starwarp.conf", 3},
                        Case{"particles.conf", 8}, Case{"blobby.conf", 2}, Case{"greets.conf", 6}}) {
    ConfigReader reader;
    ASSERT_TRUE(config_open(reader, (data_dir + c.name).c_str())) << c.name;
    int read = 0;
    double value = 0;
    while (config_read_double(reader, value)) ++read;
    config_close(reader);
    EXPECT_EQ(read, c.values) << c.name << ": a lost marker (one-word comment) or a value that does not parse";
  }
}
