// Every error code: each from a small crafted or damaged file or a failing
// stream, with the stage (construction, begin or a line) that reports it and
// the failed state after it; files cut at every length; the memory block
// limit; and the inputs the fuzzer found, each to its named outcome.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <set>

#include "jpeg/jpeg_errors.h"
#include "jpeg/jpeg_memory.h"
#include "jpeg/libjpeg_oracle.h"

namespace {

enum class Stage { construct, begin, decode };

struct ErrorCase {
  std::string name;
  Bytes file;
  int expected;
  Stage stage;
  bool stall = false;                                    // the stream delivers nothing without ending
  std::size_t fail_from = static_cast<std::size_t>(-1);  // the stream's first failing byte
};

// `jpeg` with bytes [from, to) replaced by `inserted`.
Bytes splice(const Bytes& jpeg, std::size_t from, std::size_t to, const Bytes& inserted) {
  return join({Bytes(jpeg.begin(), jpeg.begin() + from), inserted, Bytes(jpeg.begin() + to, jpeg.end())});
}

// `jpeg` with `values` written from byte `at` on.
Bytes patched(Bytes jpeg, std::size_t at, std::initializer_list<int> values) {
  for (int value : values) jpeg.at(at++) = static_cast<std::uint8_t>(value);
  return jpeg;
}

// A marker segment: FF, the marker, the length field (payload size + 2
// unless given) and the payload.
Bytes segment(int marker, const Bytes& payload, int length = -1) {
  if (length < 0) length = static_cast<int>(payload.size()) + 2;
  const auto byte = [](int value) { return static_cast<std::uint8_t>(value); };
  return join({{0xFF, byte(marker), byte(length >> 8), byte(length & 0xFF)}, payload});
}

// A Huffman table segment (class << 4 | identifier): the counts of code
// lengths 1..16, then the symbols.
Bytes huffman(int class_and_id, Bytes counts, const Bytes& symbols, int length = -1) {
  counts.resize(16);
  return segment(0xC4, join({{static_cast<std::uint8_t>(class_and_id)}, counts, symbols}), length);
}

// A quantisation segment: its first byte, then `value_bytes` bytes of 1.
Bytes quantisation(int precision_and_number, int value_bytes, int length = -1) {
  Bytes payload(1 + static_cast<std::size_t>(value_bytes), 1);
  payload[0] = static_cast<std::uint8_t>(precision_and_number);
  return segment(0xDB, payload, length);
}

// Where the first `marker` segment among the headers starts (at its FF) and ends.
std::size_t segment_at(const Bytes& jpeg, int marker) {
  std::size_t at = 2;
  while (jpeg.at(at + 1) != marker) at += 2 + (jpeg.at(at + 2) << 8 | jpeg.at(at + 3));
  return at;
}
std::size_t segment_end(const Bytes& jpeg, int marker) {
  const std::size_t at = segment_at(jpeg, marker);
  return at + 2 + (jpeg[at + 2] << 8 | jpeg[at + 3]);
}

// The first `marker` segment with its payload changed by `edit`. Frame
// header: precision, height (2), width (2), count, then id, sampling, table
// per component. Scan header: count, then id, tables per component, then
// spectral start, spectral end, approximation high << 4 | low.
Bytes with_payload(const Bytes& jpeg, int marker, const std::function<void(Bytes&)>& edit) {
  const std::size_t at = segment_at(jpeg, marker), end = segment_end(jpeg, marker);
  Bytes payload(&jpeg[at + 4], &jpeg[end]);
  edit(payload);
  return splice(jpeg, at, end, segment(marker, payload));
}

// `values` written over that payload from byte `offset` on.
Bytes with_bytes(const Bytes& jpeg, int marker, std::size_t offset, std::initializer_list<int> values) {
  return patched(jpeg, segment_at(jpeg, marker) + 4 + offset, values);
}

// Where FF `marker` occurs in `jpeg`, headers and data alike.
std::vector<std::size_t> find_marker(const Bytes& jpeg, int marker) {
  std::vector<std::size_t> places;
  for (std::size_t i = 0; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == marker) places.push_back(i);
  }
  return places;
}

// Bits '0' and '1' (spaces group them for the reader) as entropy-coded
// bytes: padded with 1 bits to a whole byte, FF bytes stuffed.
Bytes pack_bits(const std::string& bits) {
  Bytes bytes;
  int value = 0, count = 0;
  for (char bit : bits + "1111111") {
    if (bit == ' ') continue;
    value = value << 1 | (bit == '1');
    if (++count < 8) continue;
    bytes.push_back(static_cast<std::uint8_t>(value));
    if (value == 0xFF) bytes.push_back(0x00);
    value = count = 0;
  }
  return bytes;
}

// One scan of a tiny file: its band, approximation byte (high << 4 | low),
// entropy-coded bits and Huffman table byte (DC << 4 | AC).
struct TinyScan {
  std::uint8_t spectral_start, spectral_end, approximation;
  std::string bits;
  std::uint8_t tables = 0x00;
};

// An 8x8 greyscale file, baseline (frame marker C0) or progressive (C2),
// with quantisation table 0 all ones, DC table 0 of the one code '0' for
// `dc_symbol` and AC table 0 of the codes '0' and '1' for `ac_symbols`.
Bytes tiny_grey_jpeg(int frame_marker, std::uint8_t dc_symbol, const Bytes& ac_symbols,
                     const std::vector<TinyScan>& scans) {
  Bytes jpeg = join({{0xFF, 0xD8},
                     quantisation(0x00, 64),
                     segment(frame_marker, {8, 0, 8, 0, 8, 1, 1, 0x11, 0}),
                     huffman(0x00, {1}, {dc_symbol}),
                     huffman(0x10, {static_cast<std::uint8_t>(ac_symbols.size())}, ac_symbols)});
  for (const TinyScan& scan : scans) {
    const Bytes header = {1, 1, scan.tables, scan.spectral_start, scan.spectral_end, scan.approximation};
    jpeg = join({jpeg, segment(0xDA, header), pack_bits(scan.bits)});
  }
  return join({jpeg, {0xFF, 0xD9}});
}

std::vector<ErrorCase> error_cases() {
  const auto encode = [](int size, int components, const char* recipe) {
    return libjpeg_encode(make_test_picture(size, size, components), encode_options(recipe));
  };
  const Bytes grey = encode(16, 1, "");
  const Bytes colour = encode(32, 3, "");
  const Bytes separate = encode(16, 3, "separate");
  const Bytes grey_progressive = encode(16, 1, "progressive");
  const Bytes colour_progressive = encode(16, 3, "progressive");
  const Bytes restarts = encode(32, 3, "restarts 1");  // one MCU per interval
  const Bytes large = encode(150, 3, "");
  const std::size_t frame = segment_at(grey, 0xC0);
  const std::size_t frame_end = segment_end(grey, 0xC0);
  const std::size_t scan = segment_at(grey, 0xDA);
  const auto before_frame = [&](const Bytes& inserted) { return splice(grey, frame, frame, inserted); };
  const auto length_1 = [&](int marker) { return patched(grey, segment_at(grey, marker) + 2, {0, 1}); };
  // The first scan's band and approximation: byte 3 of a grey scan header,
  // byte 7 of an interleaved colour one.
  const auto grey_band = [&](int start, int end, int approximation) {
    return with_bytes(grey_progressive, 0xDA, 3, {start, end, approximation});
  };
  const auto colour_band = [&](int start, int end, int approximation) {
    return with_bytes(colour_progressive, 0xDA, 7, {start, end, approximation});
  };
  // The number byte of the first restart marker RSTn, and the last RST0.
  const auto restart = [&](int n) { return find_marker(restarts, 0xD0 + n)[0] + 1; };
  const std::size_t last_restart = find_marker(restarts, 0xD0).back();
  // Tiny files' data. Sequential: DC code '0' is size 0 except where noted.
  // Progressive: each failing code is followed by more data, so that the
  // fill's one bits after it cannot be what fails; AC code '0' ends the
  // band, '1' is the symbol under test.
  const auto sequential = [](std::uint8_t dc_symbol, std::uint8_t ac_symbol, const std::string& bits) {
    return tiny_grey_jpeg(0xC0, dc_symbol, {ac_symbol}, {{0, 63, 0, bits}});
  };
  const std::string more = "000000000000000000000000000000000000";
  const TinyScan dc_first{0, 0, 0x00, "0 " + more};

  const Stage construct = Stage::construct, begin = Stage::begin, decode = Stage::decode;
  const int out_of_place = jpeg_error_marker_out_of_place;
  // clang-format off
  return {
      {"Huffman counts add up to 256", before_frame(huffman(0x00, join({Bytes(14), {200, 56}}), Bytes(256))),
       jpeg_error_huffman_counts, construct},
      {"three 1-bit Huffman codes", before_frame(huffman(0x00, {3}, Bytes(3))), jpeg_error_huffman_counts, construct},
      {"Huffman table index 8 (AC 4)", before_frame(huffman(0x14, {1}, {0})), jpeg_error_huffman_index, construct},
      {"Huffman table index 8 (DC 8)", before_frame(huffman(0x08, {1}, {0})), jpeg_error_huffman_index, construct},
      {"Huffman segment length 1", before_frame(huffman(0x00, {1}, {0}, 1)), jpeg_error_huffman_length, construct},
      {"Huffman segment one symbol short", before_frame(huffman(0x00, {2}, {0})), jpeg_error_huffman_length, construct},
      {"Huffman segment after the frame, length 1", length_1(0xC4), jpeg_error_huffman_length, begin},
      {"quantisation segment length 1", before_frame(quantisation(0x00, 64, 1)), jpeg_error_quant_length, construct},
      {"quantisation table number 4", before_frame(quantisation(0x04, 64)), jpeg_error_quant_number, construct},
      {"8-bit quantisation table too short", before_frame(quantisation(0x00, 63)), jpeg_error_quant_short, construct},
      {"16-bit quantisation table, 64 bytes", before_frame(quantisation(0x10, 64)), jpeg_error_quant_short, construct},
      {"precision 12", with_bytes(grey, 0xC0, 0, {12}), jpeg_error_precision, construct},
      {"height 0", with_bytes(grey, 0xC0, 1, {0, 0}), jpeg_error_height, construct},
      {"height 8193", with_bytes(grey, 0xC0, 1, {0x20, 0x01}), jpeg_error_height, construct},
      {"width 0", with_bytes(grey, 0xC0, 3, {0, 0}), jpeg_error_width, construct},
      {"width 8193", with_bytes(grey, 0xC0, 3, {0x20, 0x01}), jpeg_error_width, construct},
      {"five components", with_payload(grey, 0xC0, [](Bytes& f) {
         f[5] = 5; f.insert(f.end(), {2, 0x11, 0, 3, 0x11, 0, 4, 0x11, 0, 5, 0x11, 0}); }),
       jpeg_error_component_limit, construct},
      {"frame header one byte long", with_payload(grey, 0xC0, [](Bytes& f) { f.push_back(0); }),
       jpeg_error_frame_length, construct},
      {"application segment length 1", length_1(0xE0), jpeg_error_segment_length, construct},
      {"restart interval length 5", before_frame(segment(0xDD, {0, 4, 0})), jpeg_error_restart_length, construct},
      {"restart interval length 3", before_frame(segment(0xDD, {4})), jpeg_error_restart_length, construct},
      {"scan header one byte long", with_payload(grey, 0xDA, [](Bytes& s) { s.push_back(0); }),
       jpeg_error_scan_length, begin},
      {"scan of 0 components", with_payload(grey, 0xDA, [](Bytes& s) { s = {0, 0, 63, 0}; }),
       jpeg_error_scan_length, begin},
      {"scan of 5 components", with_payload(colour, 0xDA, [](Bytes& s) {
         s = {5, 1, 0, 2, 0x11, 3, 0x11, 1, 0, 2, 0, 0, 63, 0}; }),
       jpeg_error_scan_length, begin},
      {"scan names component 9", with_bytes(grey, 0xDA, 1, {9}), jpeg_error_scan_component, begin},
      {"scan names a component twice", with_bytes(colour, 0xDA, 3, {1}), jpeg_error_scan_component, begin},
      {"arithmetic frame (C9)", patched(grey, frame + 1, {0xC9}), jpeg_error_arithmetic, construct},
      {"conditioning marker (CC)", before_frame(segment(0xCC, {0x00, 0x10})), jpeg_error_arithmetic, construct},
      {"TEM marker among the tables", before_frame({0xFF, 0x01}), out_of_place, construct},
      {"restart marker among the tables", before_frame({0xFF, 0xD3}), out_of_place, construct},
      {"JPG marker (C8) among the tables", before_frame(segment(0xC8, {0, 0})), out_of_place, construct},
      {"end of image instead of a scan", splice(grey, frame_end, grey.size(), {0xFF, 0xD9}), out_of_place, begin},
      {"progressive frame without a scan",
       splice(grey_progressive, segment_end(grey_progressive, 0xC2), grey_progressive.size(), {0xFF, 0xD9}),
       out_of_place, begin},
      {"second frame header before the scan", splice(grey, scan, scan, Bytes(&grey[frame], &grey[frame_end])),
       out_of_place, begin},
      {"second scan codes the luma again", patched(separate, find_marker(separate, 0xDA).at(1) + 5, {1}),
       out_of_place, begin},
      {"empty file", {}, jpeg_error_not_jpeg, construct},
      {"text", Bytes{'h', 'e', 'l', 'l', 'o'}, jpeg_error_not_jpeg, construct},
      {"start of image ending at byte 514", join({Bytes(512, 0x20), grey}), jpeg_error_not_jpeg, construct},
      {"start of image followed by 00", patched(grey, 2, {0}), jpeg_error_not_jpeg, construct},
      {"lossless frame (C3)", patched(grey, frame + 1, {0xC3}), jpeg_error_frame_type, construct},
      {"differential frame (C5)", patched(grey, frame + 1, {0xC5}), jpeg_error_frame_type, construct},
      {"scan before any frame", splice(grey, frame, frame_end, {}), jpeg_error_frame_type, construct},
      {"DC scan with spectral end 1", colour_band(0, 1, 0x01), jpeg_error_spectral_selection, begin},
      {"DC scan with spectral end 64", grey_band(0, 64, 0x00), jpeg_error_spectral_selection, begin},
      {"AC scan of three components", colour_band(1, 5, 0x00), jpeg_error_spectral_selection, begin},
      {"AC scan ending before its start", grey_band(5, 3, 0x00), jpeg_error_spectral_selection, begin},
      {"AC scan with spectral end 64", grey_band(1, 64, 0x00), jpeg_error_spectral_selection, begin},
      {"approximation high 2 over low 0", colour_band(0, 0, 0x20), jpeg_error_successive_approximation, begin},
      {"approximation high equal to low", grey_band(0, 0, 0x11), jpeg_error_successive_approximation, begin},
      {"approximation low 14", grey_band(0, 0, 0x0E), jpeg_error_successive_approximation, begin},
      {"progressive DC table 2 undefined", with_bytes(grey_progressive, 0xDA, 2, {0x20}), jpeg_error_huffman_undefined,
       begin},
      {"quantisation table 3 undefined", with_bytes(grey, 0xC0, 8, {3}), jpeg_error_quant_undefined, begin},
      {"quantisation table 200", with_bytes(grey, 0xC0, 8, {200}), jpeg_error_quant_undefined, begin},
      {"DC table 1 undefined", with_bytes(grey, 0xDA, 2, {0x10}), jpeg_error_huffman_undefined, begin},
      {"AC table 3 undefined", with_bytes(grey, 0xDA, 2, {0x03}), jpeg_error_huffman_undefined, begin},
      {"AC table 15", with_bytes(grey, 0xDA, 2, {0x0F}), jpeg_error_huffman_undefined, begin},
      {"DC table 4, past the four", with_bytes(grey, 0xDA, 2, {0x40}), jpeg_error_huffman_undefined, begin},
      {"AC table 4, past the four", with_bytes(grey, 0xDA, 2, {0x04}), jpeg_error_huffman_undefined, begin},
      {"four components (CMYK)", encode(16, 4, ""), jpeg_error_component_count, begin},
      {"two components", with_payload(colour, 0xC0, [](Bytes& f) { f[5] = 2; f.resize(6 + 2 * 3); }),
       jpeg_error_component_count, begin},
      {"2x2 chroma", with_bytes(colour, 0xC0, 10, {0x22}), jpeg_error_sampling, begin},
      {"1x2 chroma", with_bytes(colour, 0xC0, 13, {0x12}), jpeg_error_sampling, begin},
      {"3x1 luma", with_bytes(colour, 0xC0, 7, {0x31}), jpeg_error_sampling, begin},
      {"0x1 luma", with_bytes(colour, 0xC0, 7, {0x01}), jpeg_error_sampling, begin},
      {"AC run past position 63", sequential(0, 0xF1, "0 01 01 01 01"), jpeg_error_corrupt_data, decode},
      {"sixteen zeros past position 63", sequential(0, 0xF0, "0 0 0 0 0"), jpeg_error_corrupt_data, decode},
      {"DC magnitude category 16", sequential(16, 0, "0 0000000000000000 0"), jpeg_error_corrupt_data, decode},
      {"bits that are no code", sequential(0, 0, "1"), jpeg_error_corrupt_data, decode},
      {"progressive DC magnitude category 16",
       tiny_grey_jpeg(0xC2, 16, {0}, {{0, 0, 0x00, "0 0000000000000000" + more}}), jpeg_error_corrupt_data, begin},
      {"AC first scan: run past the band's end",
       tiny_grey_jpeg(0xC2, 0, {0x61}, {dc_first, {1, 5, 0x00, "0 1" + more}}), jpeg_error_corrupt_data, begin},
      {"AC first scan: sixteen zeros past the band's end",
       tiny_grey_jpeg(0xC2, 0, {0xF0}, {dc_first, {1, 10, 0x00, "0 " + more}}), jpeg_error_corrupt_data, begin},
      {"AC refinement: magnitude category 2",
       tiny_grey_jpeg(0xC2, 0, {0x00, 0x12}, {dc_first, {1, 63, 0x01, "0 " + more}, {1, 63, 0x10, "1 1 1" + more}}),
       jpeg_error_corrupt_data, begin},
      {"AC refinement: new coefficient past the band's end",
       tiny_grey_jpeg(0xC2, 0, {0x00, 0xF1}, {dc_first, {1, 5, 0x01, "0 " + more}, {1, 5, 0x10, "1 1" + more}}),
       jpeg_error_corrupt_data, begin},
      {"AC scan with AC table 1 undefined",
       tiny_grey_jpeg(0xC2, 0, {0x00}, {dc_first, {1, 63, 0x00, "0 " + more, 0x01}}), jpeg_error_huffman_undefined,
       begin},
      {"restart marker 1 where 0 is due", patched(restarts, restart(0), {0xD1}), jpeg_error_restart, decode},
      {"restart markers swapped", patched(patched(restarts, restart(1), {0xD2}), restart(2), {0xD1}),
       jpeg_error_restart, decode},
      {"last restart marker missing", Bytes(restarts.begin(), restarts.begin() + last_restart), jpeg_error_restart,
       decode},
      {"data cut 40 bytes short", Bytes(colour.begin(), colour.end() - 40), jpeg_error_corrupt_data, decode},
      // The decoder reads 4096 bytes at a time: failing from byte 0 hits the
      // first read, failing from 5000 a later one.
      {"first read fails", large, jpeg_error_stream_read, construct, false, 0},
      {"second read fails", large, jpeg_error_stream_read, decode, false, 5000},
      {"stream delivers nothing (counts as ended)", grey, jpeg_error_not_jpeg, construct, true},
  };
  // clang-format on
}

}  // namespace

// Each error is reported once, at its stage, and then stays: begin() and
// decode() refuse, the code keeps its first value, and the stream is
// released at the error and not again.
TEST(JpegErrors, EachConditionEndsInItsCodeAtItsStage) {
  const char* const stage_names[] = {"construction", "begin", "decode"};
  for (const ErrorCase& c : error_cases()) {
    SCOPED_TRACE(c.name + ", expected at " + stage_names[static_cast<int>(c.stage)]);
    const OurDecoding got = decode_with_ours(c.file, c.fail_from, c.stall);
    EXPECT_EQ(got.error, c.expected) << "expected error " << c.expected << ", got " << got.error;
    EXPECT_EQ(got.constructed, c.stage == Stage::construct ? c.expected : 0) << "error after construction";
    EXPECT_EQ(got.begin_result, c.stage == Stage::decode ? 0 : -1) << "begin's result";
    EXPECT_EQ(got.last_result, c.stage == Stage::decode ? jpeg_error_corrupt_data : -1) << "decode's return value";
    EXPECT_EQ(got.calling_order, (std::vector<int>{-1, got.begin_result, -1, -1, 1, 1, 1}))
        << "decode before begin, begin again, decode and begin after the error; attached, released at the error "
           "and in all";
  }
}

// A cut file goes on with end-of-image markers, one bits inside a scan,
// decoded like data: a cut inside a scan's data fails (a progressive one in
// begin(), before any line) unless those bits happen to decode; a cut at a
// marker segment after a scan, or one byte into it, leaves a whole picture.
TEST(JpegErrors, ACutFileFailsUnlessCutBetweenScans) {
  for (const char* recipe : {"", "restarts 1", "progressive", "progressive restarts 1"}) {
    SCOPED_TRACE(recipe);
    const Bytes file = libjpeg_encode(make_test_picture(32, 32, 3), encode_options(recipe));
    const bool progressive = recipe[0] == 'p';
    std::set<std::size_t> between_scans;  // cut lengths
    for (int marker : {0xC4, 0xDA, 0xD9}) {
      for (std::size_t at : find_marker(file, marker)) {
        if (at > segment_at(file, 0xDA)) between_scans.insert({at, at + 1});
      }
    }
    std::size_t whole = 0;
    for (std::size_t length = 0; length < file.size(); ++length) {
      const OurDecoding got = decode_with_ours(Bytes(file.begin(), file.begin() + length));
      whole += got.error == 0;
      if (between_scans.count(length) != 0) {
        EXPECT_TRUE(got.error == 0 && got.lines == 32) << "cut at " << length << ": error " << got.error;
      } else if (!progressive) {
        EXPECT_NE(got.error, 0) << "cut at " << length;
      } else if (got.error != 0) {
        EXPECT_EQ(got.lines, 0) << "cut at " << length;
      }
    }
    EXPECT_LT(whole, file.size() / 5) << "whole pictures from cuts";
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

// Inputs found by fuzzing, kept so that every run of the suite decodes them
// (and the fuzzer starts from them). The name says the outcome:
// NAME.picture.jpg delivers a whole picture, NAME.error-228.jpg ends in -228.
TEST(JpegFuzzRegressions, EndAsTheirNamesSay) {
  const std::filesystem::path folder = std::filesystem::path(QUORVANE_SOURCE_DIR) / "tests/jpeg/regressions";
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    const std::string outcome = entry.path().stem().extension().string();  // ".picture" or ".error-NNN"
    std::ifstream file(entry.path(), std::ios::binary);
    const OurDecoding got = decode_with_ours(Bytes{std::istreambuf_iterator<char>(file), {}});
    ++files;
    const int expected = outcome == ".picture" ? 0 : -std::stoi(outcome.substr(outcome.find('-') + 1));
    EXPECT_EQ(got.error, expected) << name << ": expected error " << expected << ", got " << got.error;
    EXPECT_EQ(got.last_result, expected == 0 ? 1 : got.begin_result == 0 ? jpeg_error_corrupt_data : -1) << name;
    if (expected == 0) {
      EXPECT_EQ(got.lines, got.picture.height) << name;
    }
  }
  EXPECT_GT(files, 0) << "no inputs in " << folder;
}
