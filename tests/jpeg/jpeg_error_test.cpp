// Every error code a file can cause, each from a small crafted or damaged
// file, and the stage (construction, begin or a line) that reports it.
#include <gtest/gtest.h>

#include <functional>

#include "jpeg/jpeg_errors.h"
#include "jpeg/jpeg_file_edit.h"
#include "jpeg/libjpeg_oracle.h"

namespace {

enum class Stage { construct, begin, decode };

struct ErrorCase {
  std::string name;
  Bytes file;
  int expected;
  Stage stage;
};

// A copy of `jpeg` changed by `edit`.
Bytes edited(const Bytes& jpeg, const std::function<void(JpegParts&)>& edit) {
  JpegParts parts = split_jpeg(jpeg);
  edit(parts);
  return join_jpeg(parts);
}

JpegSegment& segment(JpegParts& parts, int marker) {
  const int index = find_segment(parts, marker);
  if (index < 0) throw std::runtime_error("no segment " + std::to_string(marker));
  return parts.segments[static_cast<std::size_t>(index)];
}

// Byte `offset` of the payload of the first `marker` segment set to `value`.
// Frame header: precision, height (2), width (2), count, then id, sampling,
// table per component. Scan header: count, then id, tables per component.
Bytes with_byte(const Bytes& jpeg, int marker, std::size_t offset, int value) {
  return edited(
      jpeg, [=](JpegParts& parts) { segment(parts, marker).payload.at(offset) = static_cast<std::uint8_t>(value); });
}

Bytes with_frame_u16(const Bytes& jpeg, std::size_t offset, int value) {
  return with_byte(with_byte(jpeg, 0xC0, offset, value >> 8), 0xC0, offset + 1, value & 0xFF);
}

Bytes with_payload(const Bytes& jpeg, int marker, const Bytes& payload) {
  return edited(jpeg, [&](JpegParts& parts) { segment(parts, marker).payload = payload; });
}

Bytes with_marker(const Bytes& jpeg, int marker, int new_marker) {
  return edited(jpeg, [=](JpegParts& parts) { segment(parts, marker).marker = new_marker; });
}

Bytes with_length(const Bytes& jpeg, int marker, int length) {
  return edited(jpeg, [=](JpegParts& parts) { segment(parts, marker).length = length; });
}

// Inserts `inserted` just before the frame header.
Bytes with_segment_before_frame(const Bytes& jpeg, const JpegSegment& inserted) {
  return edited(jpeg, [&](JpegParts& parts) {
    parts.segments.insert(parts.segments.begin() + find_segment(parts, 0xC0), inserted);
  });
}

JpegSegment huffman(int class_and_id, const std::vector<int>& counts, int symbol_count, int length = -1) {
  std::vector<int> symbols(static_cast<std::size_t>(symbol_count));
  for (int i = 0; i < symbol_count; ++i) symbols[static_cast<std::size_t>(i)] = i;
  JpegSegment segment = huffman_segment(class_and_id, counts, symbols);
  segment.length = length;
  return segment;
}

JpegSegment quantisation(int precision_and_number, int value_bytes, int length = -1) {
  JpegSegment segment;
  segment.marker = 0xDB;
  segment.payload.assign(1 + static_cast<std::size_t>(value_bytes), 1);
  segment.payload[0] = static_cast<std::uint8_t>(precision_and_number);
  segment.length = length;
  return segment;
}

// Changes byte `offset` of the second scan header: it sits in the
// entropy-coded tail of a multi-scan file.
Bytes with_second_scan_byte(const Bytes& jpeg, std::size_t offset, std::uint8_t value) {
  return edited(jpeg, [=](JpegParts& parts) {
    parts.tail.at(find_bytes(parts.tail, {0xFF, 0xDA}).at(0) + 2 + offset) = value;
  });
}

// The last three bytes of the first scan header: spectral start, spectral
// end, and approximation high << 4 | low.
Bytes with_band(const Bytes& jpeg, int start, int end, int approximation) {
  return edited(jpeg, [=](JpegParts& parts) {
    Bytes& scan = segment(parts, 0xDA).payload;
    scan.resize(scan.size() - 3);
    scan.insert(scan.end(), {static_cast<std::uint8_t>(start), static_cast<std::uint8_t>(end),
                             static_cast<std::uint8_t>(approximation)});
  });
}

std::vector<ErrorCase> header_cases() {
  const Bytes grey = libjpeg_encode(make_test_picture(16, 16, 1), {});
  const Bytes colour = libjpeg_encode(make_test_picture(32, 32, 3), {});
  const auto before_frame = [&](const JpegSegment& inserted) { return with_segment_before_frame(grey, inserted); };
  const Stage construct = Stage::construct;
  const Stage begin = Stage::begin;

  Bytes five_components = edited(grey, [](JpegParts& parts) {
    Bytes& frame = segment(parts, 0xC0).payload;
    frame[5] = 5;
    for (int c = 2; c <= 5; ++c) frame.insert(frame.end(), {static_cast<std::uint8_t>(c), 0x11, 0});
  });
  Bytes late(512, 0x20);
  late.insert(late.end(), grey.begin(), grey.end());
  Bytes no_marker = grey;
  no_marker[2] = 0x00;
  const Bytes multi_scan = libjpeg_encode(make_test_picture(16, 16, 3), encode_options("separate"));
  const auto progressive = [](int components) {
    return libjpeg_encode(make_test_picture(16, 16, components), encode_options("progressive"));
  };
  const Bytes colour_progressive = progressive(3);
  const Bytes grey_progressive = progressive(1);

  return {
      {"Huffman counts add up to 256",
       before_frame(huffman(0x00, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 200, 56}, 256)), jpeg_error_huffman_counts,
       construct},
      {"three Huffman codes of one bit", before_frame(huffman(0x00, {3}, 3)), jpeg_error_huffman_counts, construct},
      {"Huffman table index 8 (AC 4)", before_frame(huffman(0x14, {1}, 1)), jpeg_error_huffman_index, construct},
      {"Huffman table index 8 (DC 8)", before_frame(huffman(0x08, {1}, 1)), jpeg_error_huffman_index, construct},
      {"Huffman segment length 1", before_frame(huffman(0x00, {1}, 1, 1)), jpeg_error_huffman_length, construct},
      {"Huffman segment one symbol short", before_frame(huffman(0x00, {2}, 1)), jpeg_error_huffman_length, construct},
      {"Huffman segment after the frame, length 1", with_length(grey, 0xC4, 1), jpeg_error_huffman_length, begin},
      {"quantisation segment length 1", before_frame(quantisation(0x00, 64, 1)), jpeg_error_quant_length, construct},
      {"quantisation table number 4", before_frame(quantisation(0x04, 64)), jpeg_error_quant_number, construct},
      {"8-bit quantisation table one byte short", before_frame(quantisation(0x00, 63)), jpeg_error_quant_short,
       construct},
      {"16-bit quantisation table with 64 bytes", before_frame(quantisation(0x10, 64)), jpeg_error_quant_short,
       construct},
      {"precision 12", with_byte(grey, 0xC0, 0, 12), jpeg_error_precision, construct},
      {"height 0", with_frame_u16(grey, 1, 0), jpeg_error_height, construct},
      {"height 8193", with_frame_u16(grey, 1, 8193), jpeg_error_height, construct},
      {"width 0", with_frame_u16(grey, 3, 0), jpeg_error_width, construct},
      {"width 8193", with_frame_u16(grey, 3, 8193), jpeg_error_width, construct},
      {"five components", five_components, jpeg_error_component_limit, construct},
      {"frame header one byte long", edited(grey, [](JpegParts& parts) { segment(parts, 0xC0).payload.push_back(0); }),
       jpeg_error_frame_length, construct},
      {"application segment length 1", with_length(grey, 0xE0, 1), jpeg_error_segment_length, construct},
      {"restart interval length 5", before_frame(make_segment(0xDD, {0, 4, 0})), jpeg_error_restart_length, construct},
      {"restart interval length 3", before_frame(make_segment(0xDD, {4})), jpeg_error_restart_length, construct},
      {"scan header one byte long", edited(grey, [](JpegParts& parts) { segment(parts, 0xDA).payload.push_back(0); }),
       jpeg_error_scan_length, begin},
      {"scan of 0 components", with_payload(grey, 0xDA, {0, 0, 63, 0}), jpeg_error_scan_length, begin},
      {"scan of 5 components", with_payload(colour, 0xDA, {5, 1, 0, 2, 0x11, 3, 0x11, 1, 0, 2, 0, 0, 63, 0}),
       jpeg_error_scan_length, begin},
      {"scan names component 9", with_byte(grey, 0xDA, 1, 9), jpeg_error_scan_component, begin},
      {"scan names a component twice", with_byte(colour, 0xDA, 3, 1), jpeg_error_scan_component, begin},
      {"arithmetic frame (C9)", libjpeg_encode(make_test_picture(16, 16, 3), encode_options("arithmetic")),
       jpeg_error_arithmetic, construct},
      {"conditioning marker (CC)", before_frame(make_segment(0xCC, {0x00, 0x10})), jpeg_error_arithmetic, construct},
      {"TEM marker among the tables", before_frame(make_standalone(0x01)), jpeg_error_marker_out_of_place, construct},
      {"restart marker among the tables", before_frame(make_standalone(0xD3)), jpeg_error_marker_out_of_place,
       construct},
      {"JPG marker (C8) among the tables", before_frame(make_segment(0xC8, {0, 0})), jpeg_error_marker_out_of_place,
       construct},
      {"end of image instead of a scan",
       edited(grey,
              [](JpegParts& parts) {
                parts.segments.resize(static_cast<std::size_t>(find_segment(parts, 0xC0)) + 1);
                parts.tail = {0xFF, 0xD9};
              }),
       jpeg_error_marker_out_of_place, begin},
      {"second frame header before the scan",
       edited(grey,
              [](JpegParts& parts) {
                const JpegSegment frame = segment(parts, 0xC0);
                parts.segments.insert(parts.segments.begin() + find_segment(parts, 0xDA), frame);
              }),
       jpeg_error_marker_out_of_place, begin},
      {"second scan codes the luma again", with_second_scan_byte(multi_scan, 3, 1), jpeg_error_marker_out_of_place,
       begin},
      {"empty file", {}, jpeg_error_not_jpeg, construct},
      {"text", Bytes{'h', 'e', 'l', 'l', 'o'}, jpeg_error_not_jpeg, construct},
      {"start of image ending at byte 514", late, jpeg_error_not_jpeg, construct},
      {"start of image followed by 00", no_marker, jpeg_error_not_jpeg, construct},
      {"lossless frame (C3)", with_marker(grey, 0xC0, 0xC3), jpeg_error_frame_type, construct},
      {"differential frame (C5)", with_marker(grey, 0xC0, 0xC5), jpeg_error_frame_type, construct},
      {"scan before any frame",
       edited(grey, [](JpegParts& parts) { parts.segments.erase(parts.segments.begin() + find_segment(parts, 0xC0)); }),
       jpeg_error_frame_type, construct},
      {"DC scan with spectral end 1", with_band(colour_progressive, 0, 1, 0x01), jpeg_error_spectral_selection, begin},
      {"DC scan with spectral end 64", with_band(grey_progressive, 0, 64, 0x00), jpeg_error_spectral_selection, begin},
      {"AC scan of three components", with_band(colour_progressive, 1, 5, 0x00), jpeg_error_spectral_selection, begin},
      {"AC scan ending before its start", with_band(grey_progressive, 5, 3, 0x00), jpeg_error_spectral_selection,
       begin},
      {"AC scan with spectral end 64", with_band(grey_progressive, 1, 64, 0x00), jpeg_error_spectral_selection, begin},
      {"approximation high 2 over low 0", with_band(colour_progressive, 0, 0, 0x20),
       jpeg_error_successive_approximation, begin},
      {"approximation high equal to low", with_band(grey_progressive, 0, 0, 0x11), jpeg_error_successive_approximation,
       begin},
      {"approximation low 14", with_band(grey_progressive, 0, 0, 0x0E), jpeg_error_successive_approximation, begin},
      {"progressive scan with DC table 2 undefined", with_byte(grey_progressive, 0xDA, 2, 0x20),
       jpeg_error_huffman_undefined, begin},
      {"quantisation table 3 undefined", with_byte(grey, 0xC0, 8, 3), jpeg_error_quant_undefined, begin},
      {"quantisation table 200", with_byte(grey, 0xC0, 8, 200), jpeg_error_quant_undefined, begin},
      {"DC table 1 undefined", with_byte(grey, 0xDA, 2, 0x10), jpeg_error_huffman_undefined, begin},
      {"AC table 3 undefined", with_byte(grey, 0xDA, 2, 0x03), jpeg_error_huffman_undefined, begin},
      {"AC table 15", with_byte(grey, 0xDA, 2, 0x0F), jpeg_error_huffman_undefined, begin},
      {"four components (CMYK)", libjpeg_encode(make_test_picture(16, 16, 4), {}), jpeg_error_component_count, begin},
      {"two components",
       edited(colour,
              [](JpegParts& parts) {
                Bytes& frame = segment(parts, 0xC0).payload;
                frame[5] = 2;
                frame.resize(6 + 6);
              }),
       jpeg_error_component_count, begin},
      {"2x2 chroma", with_byte(colour, 0xC0, 10, 0x22), jpeg_error_sampling, begin},
      {"1x2 chroma", with_byte(colour, 0xC0, 13, 0x12), jpeg_error_sampling, begin},
      {"3x1 luma", with_byte(colour, 0xC0, 7, 0x31), jpeg_error_sampling, begin},
      {"0x1 luma", with_byte(colour, 0xC0, 7, 0x01), jpeg_error_sampling, begin},
  };
}

std::vector<ErrorCase> data_cases() {
  // Sequential data: DC code '0' is size 0 except where noted.
  std::vector<ErrorCase> cases = {
      {"AC run past position 63", tiny_grey_jpeg({1}, {0}, {1}, {0xF1}, "0 01 01 01 01"), jpeg_error_corrupt_data,
       Stage::decode},
      {"sixteen zeros past position 63", tiny_grey_jpeg({1}, {0}, {1}, {0xF0}, "0 0 0 0 0"), jpeg_error_corrupt_data,
       Stage::decode},
      {"DC magnitude category 16", tiny_grey_jpeg({1}, {16}, {1}, {0}, "0 0000000000000000 0"), jpeg_error_corrupt_data,
       Stage::decode},
      {"bits that are no code", tiny_grey_jpeg({1}, {0}, {1}, {0}, "1"), jpeg_error_corrupt_data, Stage::decode},
  };
  // Progressive data, decoded in begin. Each failing code is followed by
  // more data, so that it cannot pass for data cut short. AC code '0' ends
  // the band, '1' is the symbol under test.
  const std::string more = "000000000000000000000000000000000000";
  const TinyScan dc_first{0, 0, 0x00, "0 " + more};
  const std::vector<ErrorCase> progressive = {
      {"progressive DC magnitude category 16",
       tiny_progressive_grey_jpeg({1}, {16}, {1}, {0}, {{0, 0, 0x00, "0 0000000000000000" + more}}),
       jpeg_error_corrupt_data, Stage::begin},
      {"AC first scan: run past the band's end",
       tiny_progressive_grey_jpeg({1}, {0}, {1}, {0x61}, {dc_first, {1, 5, 0x00, "0 1" + more}}),
       jpeg_error_corrupt_data, Stage::begin},
      {"AC first scan: sixteen zeros past the band's end",
       tiny_progressive_grey_jpeg({1}, {0}, {1}, {0xF0}, {dc_first, {1, 10, 0x00, "0 " + more}}),
       jpeg_error_corrupt_data, Stage::begin},
      {"AC refinement: magnitude category 2",
       tiny_progressive_grey_jpeg({1}, {0}, {2}, {0x00, 0x12},
                                  {dc_first, {1, 63, 0x01, "0 " + more}, {1, 63, 0x10, "1 1 1" + more}}),
       jpeg_error_corrupt_data, Stage::begin},
      {"AC refinement: new coefficient past the band's end",
       tiny_progressive_grey_jpeg({1}, {0}, {2}, {0x00, 0xF1},
                                  {dc_first, {1, 5, 0x01, "0 " + more}, {1, 5, 0x10, "1 1" + more}}),
       jpeg_error_corrupt_data, Stage::begin},
      {"AC scan with AC table 1 undefined",
       tiny_progressive_grey_jpeg({1}, {0}, {1}, {0x00}, {dc_first, {1, 63, 0x00, "0 " + more, 0x01}}),
       jpeg_error_huffman_undefined, Stage::begin},
  };
  cases.insert(cases.end(), progressive.begin(), progressive.end());

  const Bytes restarts = libjpeg_encode(make_test_picture(32, 32, 3), encode_options("restarts 1"));
  const auto set_marker = [](Bytes& tail, int marker, std::size_t occurrence, int new_marker) {
    tail[find_bytes(tail, {0xFF, static_cast<std::uint8_t>(marker)}).at(occurrence) + 1] =
        static_cast<std::uint8_t>(new_marker);
  };
  cases.push_back({"restart marker 1 where 0 is due",
                   edited(restarts, [&](JpegParts& parts) { set_marker(parts.tail, 0xD0, 0, 0xD1); }),
                   jpeg_error_restart, Stage::decode});
  cases.push_back({"restart markers swapped",
                   edited(restarts,
                          [&](JpegParts& parts) {
                            set_marker(parts.tail, 0xD1, 0, 0xD2);
                            set_marker(parts.tail, 0xD2, 1, 0xD1);
                          }),
                   jpeg_error_restart, Stage::decode});
  cases.push_back({"restart marker missing at the end of the data",
                   edited(restarts,
                          [](JpegParts& parts) {
                            parts.tail.resize(find_bytes(parts.tail, {0xFF, 0xD0}).back());
                          }),
                   jpeg_error_restart, Stage::decode});
  return cases;
}

}  // namespace

TEST(JpegErrors, EachConditionEndsInItsCodeAtItsStage) {
  std::vector<ErrorCase> cases = header_cases();
  const std::vector<ErrorCase> data = data_cases();
  cases.insert(cases.end(), data.begin(), data.end());
  const char* const stage_names[] = {"construction", "begin", "decode"};
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.name + ", expected at " + stage_names[static_cast<int>(c.stage)]);
    const OurDecoding got = decode_with_ours(c.file);
    EXPECT_EQ(got.error, c.expected) << "expected error " << c.expected << ", got " << got.error;
    EXPECT_EQ(got.constructed, c.stage == Stage::construct ? c.expected : 0) << "error after construction";
    EXPECT_EQ(got.begin_result, c.stage == Stage::decode ? 0 : -1) << "begin's result";
    if (c.stage == Stage::decode) {
      EXPECT_EQ(got.last_result, jpeg_error_corrupt_data) << "decode's return value";
    }
    EXPECT_NE(got.last_result, 1) << "the picture must not complete";
  }
}
