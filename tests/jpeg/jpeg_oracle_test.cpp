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
  std::string name;
  int width;
  int height;
  int components;
  EncodeOptions options;
};

EncodeOptions sampling(int h, int v) {
  EncodeOptions options;
  options.h_sampling = h;
  options.v_sampling = v;
  return options;
}

EncodeOptions with_quality(EncodeOptions options, int quality, bool force_baseline = true) {
  options.quality = quality;
  options.force_baseline = force_baseline;
  return options;
}

EncodeOptions with_restarts(EncodeOptions options, int interval) {
  options.restart_interval = interval;
  return options;
}

EncodeOptions optimised(EncodeOptions options) {
  options.optimise = true;
  return options;
}

EncodeOptions separate_scans(EncodeOptions options) {
  options.separate_scans = true;
  return options;
}

EncodeOptions progressive(EncodeOptions options) {
  options.progressive = true;
  return options;
}

EncodeOptions deep_progression(EncodeOptions options) {
  options.deep_progression = true;
  return options;
}

std::vector<CorpusCase> corpus() {
  std::vector<CorpusCase> cases;
  const int samplings[4][2] = {{1, 1}, {2, 1}, {1, 2}, {2, 2}};
  for (const auto& s : samplings) {
    const std::string tag = std::to_string(s[0]) + "x" + std::to_string(s[1]);
    cases.push_back({"colour " + tag, 64, 48, 3, sampling(s[0], s[1])});
    cases.push_back({"colour " + tag + " odd size", 37, 29, 3, sampling(s[0], s[1])});
    cases.push_back({"colour " + tag + " restarts 1", 35, 21, 3, with_restarts(sampling(s[0], s[1]), 1)});
    cases.push_back({"colour " + tag + " restarts 5", 75, 41, 3, with_restarts(sampling(s[0], s[1]), 5)});
    cases.push_back({"colour " + tag + " optimised", 50, 50, 3, optimised(sampling(s[0], s[1]))});
    cases.push_back({"colour " + tag + " separate scans", 45, 27, 3, separate_scans(sampling(s[0], s[1]))});
    cases.push_back({"colour " + tag + " 1x1", 1, 1, 3, sampling(s[0], s[1])});
    cases.push_back({"colour " + tag + " 17x9", 17, 9, 3, sampling(s[0], s[1])});
    cases.push_back({"colour " + tag + " 8192x1", 8192, 1, 3, sampling(s[0], s[1])});
    cases.push_back({"colour " + tag + " 1x8192", 1, 8192, 3, sampling(s[0], s[1])});
    cases.push_back({"colour " + tag + " progressive", 64, 48, 3, progressive(sampling(s[0], s[1]))});
    cases.push_back({"colour " + tag + " progressive odd size", 37, 29, 3, progressive(sampling(s[0], s[1]))});
    cases.push_back({"colour " + tag + " progressive restarts 3", 75, 41, 3,
                     progressive(with_restarts(sampling(s[0], s[1]), 3))});
    cases.push_back({"colour " + tag + " deep progression", 45, 27, 3, deep_progression(sampling(s[0], s[1]))});
    cases.push_back({"colour " + tag + " deep progression restarts 1", 35, 21, 3,
                     deep_progression(with_restarts(sampling(s[0], s[1]), 1))});
    cases.push_back({"colour " + tag + " progressive 1x1", 1, 1, 3, progressive(sampling(s[0], s[1]))});
    cases.push_back({"colour " + tag + " deep progression 17x9", 17, 9, 3, deep_progression(sampling(s[0], s[1]))});
    for (int quality = 10; quality <= 100; quality += 15) {
      cases.push_back({"colour " + tag + " quality " + std::to_string(quality), 40, 24, 3,
                       with_quality(sampling(s[0], s[1]), quality)});
    }
  }
  for (int quality = 10; quality <= 100; quality += 10) {
    cases.push_back({"grey quality " + std::to_string(quality), 61, 45, 1, with_quality({}, quality)});
  }
  for (int quality : {1, 5, 10, 25}) {
    cases.push_back(
        {"grey 16-bit tables quality " + std::to_string(quality), 52, 37, 1, with_quality({}, quality, false)});
    cases.push_back({"colour 16-bit tables quality " + std::to_string(quality), 52, 37, 3,
                     with_quality(sampling(2, 2), quality, false)});
  }
  cases.push_back({"grey 1x1", 1, 1, 1, {}});
  cases.push_back({"grey 17x9", 17, 9, 1, {}});
  cases.push_back({"grey 8192x1", 8192, 1, 1, {}});
  cases.push_back({"grey 1x8192", 1, 8192, 1, {}});
  cases.push_back({"grey restarts 2", 66, 30, 1, with_restarts({}, 2)});
  cases.push_back({"grey optimised restarts 3", 66, 30, 1, optimised(with_restarts({}, 3))});
  cases.push_back({"grey quality 100 optimised", 33, 65, 1, optimised(with_quality({}, 100))});
  for (int quality : {5, 30, 60, 95, 100}) {
    cases.push_back({"colour progressive quality " + std::to_string(quality), 40, 24, 3,
                     progressive(with_quality(sampling(2, 2), quality, false))});
    cases.push_back({"grey deep progression quality " + std::to_string(quality), 40, 24, 1,
                     deep_progression(with_quality({}, quality, false))});
  }
  cases.push_back({"grey progressive", 61, 45, 1, progressive({})});
  cases.push_back({"grey progressive 1x1", 1, 1, 1, progressive({})});
  cases.push_back({"grey progressive 8192x1", 8192, 1, 1, progressive({})});
  cases.push_back({"grey progressive 1x8192", 1, 8192, 1, progressive({})});
  cases.push_back({"grey progressive restarts 2", 66, 30, 1, progressive(with_restarts({}, 2))});
  cases.push_back({"grey deep progression", 33, 65, 1, deep_progression({})});
  cases.push_back({"grey deep progression restarts 5", 70, 19, 1, deep_progression(with_restarts({}, 5))});
  cases.push_back({"colour 640x480", 640, 480, 3, sampling(2, 2)});
  cases.push_back({"colour 640x480 progressive", 640, 480, 3, progressive(sampling(2, 2))});
  return cases;
}

struct Comparison {
  long mismatches = 0;
  int max_difference = 0;
  std::string first;
};

Comparison compare(const DecodedPicture& expected, const DecodedPicture& got) {
  Comparison result;
  for (std::size_t i = 0; i < expected.pixels.size() && i < got.pixels.size(); ++i) {
    const int difference = std::abs(expected.pixels[i] - got.pixels[i]);
    if (difference == 0) continue;
    if (result.mismatches++ == 0) {
      const std::size_t pixel = i / expected.bytes_per_pixel;
      std::ostringstream where;
      where << "first at x=" << pixel % expected.width << " y=" << pixel / expected.width << " byte "
            << i % expected.bytes_per_pixel << ": expected " << int{expected.pixels[i]} << ", got "
            << int{got.pixels[i]};
      result.first = where.str();
    }
    result.max_difference = std::max(result.max_difference, difference);
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
    SCOPED_TRACE(c.name);
    const Bytes jpeg = libjpeg_encode(make_test_picture(c.width, c.height, c.components), c.options);
    if (c.options.separate_scans) {
      ASSERT_EQ(find_bytes(jpeg, {0xFF, 0xDA}).size(), 3u) << c.name << ": the encoder made one scan per component";
    }
    if (c.options.progressive || c.options.deep_progression) {
      ASSERT_EQ(jpeg[find_bytes(jpeg, {0xFF, 0xC2}).at(0) + 1], 0xC2) << c.name << ": a progressive frame";
    }
    const DecodedPicture expected = oracle_decode(jpeg);
    const OurDecoding ours = decode_with_ours(jpeg);
    ASSERT_EQ(ours.error, 0) << c.name << ": decoder error";
    ASSERT_EQ(ours.last_result, 1) << c.name;
    ASSERT_EQ(ours.lines, c.height) << c.name << ": lines delivered";
    ASSERT_EQ(ours.picture.bytes_per_pixel, c.components == 3 ? 4 : 1);
    ASSERT_EQ(ours.picture.pixels.size(), expected.pixels.size()) << c.name;
    const Comparison comparison = compare(expected, ours.picture);
    if (comparison.mismatches > 0) {
      ADD_FAILURE() << c.name << ": " << comparison.mismatches << " bytes differ, " << comparison.first
                    << "; pictures in " << write_comparison_pictures(file_name(c.name), expected, ours.picture);
    }
  }
}

// Without the transposition the oracle's transform rounds its intermediate
// values after the columns, ours after the rows: a direct comparison
// disagrees by one in some pixels, never more.
TEST(JpegOracle, DirectComparisonDiffersOnlyByTheTransformOrder) {
  const Bytes jpeg = libjpeg_encode(make_test_picture(97, 63, 1), with_quality({}, 90));
  const Comparison comparison = compare(oracle_decode_untransposed(jpeg), decode_with_ours(jpeg).picture);
  EXPECT_GT(comparison.mismatches, 0) << "a row-first transform rounds differently from a column-first one";
  EXPECT_EQ(comparison.max_difference, 1) << comparison.first;
}

// The twins share their coefficients, so they must share every pixel; both
// directions, on pictures of every sampling and with restarts.
TEST(JpegOracle, ProgressiveFilesDecodeLikeTheirSequentialTwins) {
  struct Case {
    std::string name;
    Bytes original;
  };
  std::vector<Case> cases;
  const int samplings[4][2] = {{1, 1}, {2, 1}, {1, 2}, {2, 2}};
  for (const auto& s : samplings) {
    const std::string tag = std::to_string(s[0]) + "x" + std::to_string(s[1]);
    cases.push_back({"colour " + tag, libjpeg_encode(make_test_picture(77, 53, 3), sampling(s[0], s[1]))});
    cases.push_back({"colour " + tag + " deep progression",
                     libjpeg_encode(make_test_picture(53, 77, 3), deep_progression(sampling(s[0], s[1])))});
  }
  cases.push_back({"grey", libjpeg_encode(make_test_picture(91, 39, 1), with_quality({}, 95))});
  cases.push_back({"grey progressive with restarts",
                   libjpeg_encode(make_test_picture(39, 91, 1), progressive(with_restarts({}, 4)))});
  for (const Case& c : cases) {
    const Bytes sequential = libjpeg_transcode(c.original, false);
    const Bytes progressive_twin = libjpeg_transcode(c.original, true);
    ASSERT_FALSE(find_bytes(sequential, {0xFF, 0xC0}).empty() && find_bytes(sequential, {0xFF, 0xC1}).empty())
        << c.name << ": the sequential twin has a sequential frame";
    ASSERT_FALSE(find_bytes(progressive_twin, {0xFF, 0xC2}).empty()) << c.name << ": the progressive twin";
    const OurDecoding from_sequential = decode_with_ours(sequential);
    const OurDecoding from_progressive = decode_with_ours(progressive_twin);
    ASSERT_EQ(from_sequential.error, 0) << c.name << ", sequential twin";
    ASSERT_EQ(from_progressive.error, 0) << c.name << ", progressive twin";
    ASSERT_EQ(from_progressive.lines, from_sequential.lines) << c.name;
    const Comparison comparison = compare(from_sequential.picture, from_progressive.picture);
    EXPECT_EQ(comparison.mismatches, 0) << c.name << ": " << comparison.first;
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
    const DecodedPicture expected = oracle_decode(jpeg);
    const Comparison comparison = compare(expected, ours.picture);
    EXPECT_EQ(comparison.mismatches, 0) << name << ": " << comparison.first;
  }
  EXPECT_GE(files, 20);
  EXPECT_GE(progressive_files, 3);
}
