// Our decoder against libjpeg-turbo on a corpus made by libjpeg's encoder:
// every sequential and progressive form it writes must decode to exactly the
// oracle's pixels; and a progressive file to the same pixels as its
// sequential twin made from the same coefficients.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "jpeg/jpeg_file_edit.h"
#include "jpeg/libjpeg_oracle.h"

namespace {

struct CorpusCase {
  int components;
  int width;
  int height;
  std::string recipe;

  std::string name() const {
    return (components == 1 ? "grey " : "colour ") + std::to_string(width) + "x" + std::to_string(height) + " " +
           recipe;
  }
};

std::vector<CorpusCase> corpus() {
  std::vector<CorpusCase> cases;
  for (const std::string sampling : {"1x1", "2x1", "1x2", "2x2"}) {
    const std::pair<int, int> sizes[] = {{64, 48}, {37, 29}, {1, 1}, {17, 9}, {8192, 1}, {1, 8192}};
    for (const auto& [width, height] : sizes) cases.push_back({3, width, height, sampling});
    const CorpusCase forms[] = {
        {3, 35, 21, "restarts 1"},
        {3, 75, 41, "restarts 5"},
        {3, 50, 50, "optimised"},
        {3, 45, 27, "separate"},
        {3, 64, 48, "progressive"},
        {3, 37, 29, "progressive"},
        {3, 1, 1, "progressive"},
        {3, 45, 27, "deep"},
        {3, 17, 9, "deep"},
        {3, 35, 21, "deep restarts 1"},
        {3, 75, 41, "progressive restarts 3"},
    };
    for (const CorpusCase& c : forms) cases.push_back({3, c.width, c.height, sampling + " " + c.recipe});
    for (int quality = 10; quality <= 100; quality += 15) {
      cases.push_back({3, 40, 24, sampling + " quality " + std::to_string(quality)});
    }
  }
  for (int quality = 10; quality <= 100; quality += 10)
    cases.push_back({1, 61, 45, "quality " + std::to_string(quality)});
  for (int quality : {1, 5, 10, 25}) {
    cases.push_back({1, 52, 37, "16-bit quality " + std::to_string(quality)});
    cases.push_back({3, 52, 37, "2x2 16-bit quality " + std::to_string(quality)});
  }
  for (int quality : {5, 30, 60, 95, 100}) {
    cases.push_back({3, 40, 24, "2x2 progressive 16-bit quality " + std::to_string(quality)});
    cases.push_back({1, 40, 24, "deep 16-bit quality " + std::to_string(quality)});
  }
  const CorpusCase others[] = {
      {1, 1, 1, ""},
      {1, 17, 9, ""},
      {1, 8192, 1, ""},
      {1, 1, 8192, ""},
      {1, 66, 30, "restarts 2"},
      {1, 66, 30, "optimised restarts 3"},
      {1, 33, 65, "quality 100 optimised"},
      {1, 61, 45, "progressive"},
      {1, 1, 1, "progressive"},
      {1, 8192, 1, "progressive"},
      {1, 1, 8192, "progressive"},
      {1, 66, 30, "progressive restarts 2"},
      {1, 33, 65, "deep"},
      {1, 70, 19, "deep restarts 5"},
      {3, 640, 480, "2x2"},
      {3, 640, 480, "2x2 progressive"},
  };
  cases.insert(cases.end(), std::begin(others), std::end(others));
  return cases;
}

struct Comparison {
  long mismatches = 0;
  std::string first;
};

Comparison compare(const DecodedPicture& expected, const DecodedPicture& got) {
  Comparison result;
  for (std::size_t i = 0; i < expected.pixels.size() && i < got.pixels.size(); ++i) {
    if (expected.pixels[i] == got.pixels[i] || result.mismatches++ > 0) continue;
    const std::size_t pixel = i / expected.bytes_per_pixel;
    std::ostringstream where;
    where << "first at x=" << pixel % expected.width << " y=" << pixel / expected.width << " byte "
          << i % expected.bytes_per_pixel << ": expected " << int{expected.pixels[i]} << ", got " << int{got.pixels[i]};
    result.first = where.str();
  }
  return result;
}

std::string file_name(std::string name) {
  for (char& c : name) {
    if (c == ' ') c = '_';
  }
  return name;
}

}  // namespace

TEST(JpegOracle, EveryFormOfTheEncoderDecodesExactly) {
  for (const CorpusCase& c : corpus()) {
    SCOPED_TRACE(c.name());
    const EncodeOptions options = encode_options(c.recipe);
    const Bytes jpeg = libjpeg_encode(make_test_picture(c.width, c.height, c.components), options);
    ASSERT_EQ(find_bytes(jpeg, {0xFF, 0xDA}).size() == 3u, options.separate_scans) << "one scan per component";
    ASSERT_EQ(find_bytes(jpeg, {0xFF, 0xC2}).empty(), !options.progressive && !options.deep_progression)
        << "a progressive frame";
    const DecodedPicture expected = oracle_decode(jpeg);
    const OurDecoding ours = decode_with_ours(jpeg);
    ASSERT_EQ(ours.error, 0) << "decoder error";
    ASSERT_EQ(ours.last_result, 1);
    ASSERT_EQ(ours.lines, c.height) << "lines delivered";
    ASSERT_EQ(ours.picture.bytes_per_pixel, c.components == 3 ? 4 : 1);
    ASSERT_EQ(ours.picture.pixels.size(), expected.pixels.size());
    const Comparison comparison = compare(expected, ours.picture);
    if (comparison.mismatches > 0) {
      ADD_FAILURE() << comparison.mismatches << " bytes differ, " << comparison.first << "; pictures in "
                    << write_comparison_pictures(file_name(c.name()), expected, ours.picture);
    }
  }
}

// The twins share their coefficients, so they must share every pixel; both
// directions, on pictures of every sampling and with restarts.
TEST(JpegOracle, ProgressiveFilesDecodeLikeTheirSequentialTwins) {
  std::vector<CorpusCase> cases;
  for (const std::string sampling : {"1x1", "2x1", "1x2", "2x2"}) {
    cases.push_back({3, 77, 53, sampling});
    cases.push_back({3, 53, 77, sampling + " deep"});
  }
  cases.push_back({1, 91, 39, "quality 95"});
  cases.push_back({1, 39, 91, "progressive restarts 4"});
  for (const CorpusCase& c : cases) {
    SCOPED_TRACE(c.name());
    const Bytes original = libjpeg_encode(make_test_picture(c.width, c.height, c.components), encode_options(c.recipe));
    const Bytes sequential = libjpeg_transcode(original, false);
    const Bytes progressive_twin = libjpeg_transcode(original, true);
    ASSERT_FALSE(find_bytes(sequential, {0xFF, 0xC0}).empty() && find_bytes(sequential, {0xFF, 0xC1}).empty())
        << "the sequential twin";
    ASSERT_FALSE(find_bytes(progressive_twin, {0xFF, 0xC2}).empty()) << "the progressive twin";
    const OurDecoding from_sequential = decode_with_ours(sequential);
    const OurDecoding from_progressive = decode_with_ours(progressive_twin);
    ASSERT_EQ(from_sequential.error, 0) << "sequential twin";
    ASSERT_EQ(from_progressive.error, 0) << "progressive twin";
    ASSERT_EQ(from_progressive.lines, from_sequential.lines);
    const Comparison comparison = compare(from_sequential.picture, from_progressive.picture);
    EXPECT_EQ(comparison.mismatches, 0) << comparison.first;
  }
}

// Every picture the demo ships, progressive ones (one with restarts) included.
TEST(JpegOracle, TheDemosPicturesDecodeExactly) {
  int progressive_files = 0;
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(QUORVANE_SOURCE_DIR) / "data")) {
    if (entry.path().extension() != ".jpg") continue;
    const std::string name = entry.path().filename().string();
    std::ifstream file(entry.path(), std::ios::binary);
    const Bytes jpeg{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    ++files;
    if (!find_bytes(jpeg, {0xFF, 0xC2}).empty()) ++progressive_files;
    const OurDecoding ours = decode_with_ours(jpeg);
    ASSERT_EQ(ours.error, 0) << name;
    const Comparison comparison = compare(oracle_decode(jpeg), ours.picture);
    EXPECT_EQ(comparison.mismatches, 0) << name << ": " << comparison.first;
  }
  EXPECT_GE(files, 20);
  EXPECT_GE(progressive_files, 3);
}
