// libjpeg-turbo, called through its public API, as the test oracle of our
// decoder: it makes the test corpus with its encoder and says what each file
// must decode to. Also our decoder's output in the same form, for comparing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// The parts, one after the other.
inline Bytes join(std::initializer_list<Bytes> parts) {
  Bytes joined;
  for (const Bytes& part : parts) joined.insert(joined.end(), part.begin(), part.end());
  return joined;
}

// A picture as interleaved samples: 1 (grey), 3 (RGB) or 4 (CMYK) per pixel.
struct TestPicture {
  int width = 0, height = 0, components = 0;
  Bytes samples;
};

// Gradients, hard edges and noise, different in each channel: every
// coefficient range the encoder can make gets used.
TestPicture make_test_picture(int width, int height, int components, unsigned seed = 1);

struct EncodeOptions {
  int h_sampling = 2;  // luma sampling of colour pictures
  int v_sampling = 2;
  int quality = 75;
  bool force_baseline = true;     // false lets low qualities write 16-bit quantisation tables
  int restart_interval = 0;       // MCUs between restart markers
  bool optimise = false;          // optimised Huffman tables
  bool separate_scans = false;    // one scan per component instead of one interleaved scan
  bool progressive = false;       // libjpeg's standard progression script
  bool deep_progression = false;  // our script: narrow bands, three approximation steps, on every component
};

// Options from words: "2x1" (luma sampling), "quality N", "16-bit" (tables
// may need 16-bit entries), "restarts N", "optimised", "separate" (one scan
// per component), "progressive" (libjpeg's script), "deep" (ours).
EncodeOptions encode_options(const std::string& recipe);

Bytes libjpeg_encode(const TestPicture& picture, const EncodeOptions& options);

// A decoded picture: grey samples, or 4 bytes per pixel (red, green, blue, 0).
struct DecodedPicture {
  int width = 0, height = 0, bytes_per_pixel = 0;
  Bytes pixels;
};

// What our decoder must deliver for `jpeg`: libjpeg decodes the file
// transposed losslessly (its transform runs over columns first, ours over
// rows first, so transposing makes the two agree exactly), with the accurate
// integer transform, without fancy upsampling and without colour conversion;
// the result is transposed back and converted with the JFIF formulas in the
// decoder's 16.16 fixed point.
DecodedPicture oracle_decode(const Bytes& jpeg);

// Our decoder's run through the whole calling order: construction,
// decode() before begin(), begin() twice, decode() to its end and once more,
// begin() again, destruction; from a stream that fails its reads from byte
// `fail_from` on, or one that delivers nothing without ending (`stall`).
struct OurDecoding {
  int error = 0;        // error code after the run
  int constructed = 0;  // error code right after construction
  int begin_result = 0;
  int lines = 0;           // lines delivered
  int last_result = 0;     // decode()'s final return value
  DecodedPicture picture;  // the lines delivered
  // What the other calls returned: decode() before begin(), begin() again,
  // decode() and begin() after the end; then the stream's notifications:
  // attach() calls, release() calls before destruction, and in all.
  std::vector<int> calling_order;
};

OurDecoding decode_with_ours(const Bytes& jpeg, std::size_t fail_from = static_cast<std::size_t>(-1),
                             bool stall = false);
