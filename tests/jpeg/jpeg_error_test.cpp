// Every error code a file can cause, each from a small crafted or damaged
// file, and the stage (construction, begin or a line) that reports it.
#include <gtest/gtest.h>

#include <functional>

#include "jpeg/jpeg_errors.h"
#include "jpeg/jpeg_file_edit.h"
#include "jpeg/libjpeg_oracle.h"

namespace {

enum class Stage { construct, begin, decode };

const char* stage_name(Stage stage) {
  switch (stage) {
    case Stage::construct:
      return "construction";
    case Stage::begin:
      return "begin";
    case Stage::decode:
      return "decode";
  }
  return "?";
}

struct ErrorCase {
  std::string name;
  Bytes file;
  int expected;
  Stage stage;
};

Bytes grey_file() { return libjpeg_encode(make_test_picture(16, 16, 1), {}); }
Bytes colour_file() { return libjpeg_encode(make_test_picture(32, 32, 3), {}); }

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

// Inserts `inserted` just before the frame header.
Bytes with_segment_before_frame(const Bytes& jpeg, const JpegSegment& inserted) {
  return edited(jpeg, [&](JpegParts& parts) {
    parts.segments.insert(parts.segments.begin() + find_segment(parts, 0xC0), inserted);
  });
}

JpegSegment huffman_segment(int class_and_id, std::vector<int> counts, int symbol_count) {
  JpegSegment segment;
  segment.marker = 0xC4;
  segment.payload.push_back(static_cast<std::uint8_t>(class_and_id));
  counts.resize(16, 0);
  for (int count : counts) segment.payload.push_back(static_cast<std::uint8_t>(count));
  for (int i = 0; i < symbol_count; ++i) segment.payload.push_back(static_cast<std::uint8_t>(i));
  return segment;
}

JpegSegment quant_segment(int precision_and_number, int value_bytes) {
  JpegSegment segment;
  segment.marker = 0xDB;
  segment.payload.assign(1 + static_cast<std::size_t>(value_bytes), 1);
  segment.payload[0] = static_cast<std::uint8_t>(precision_and_number);
  return segment;
}

// The frame header's payload: precision, height (2), width (2), count, then
// id, sampling, table per component.
void set_frame_u16(JpegParts& parts, int offset, int value) {
  JpegSegment& frame = segment(parts, 0xC0);
  frame.payload[static_cast<std::size_t>(offset)] = static_cast<std::uint8_t>(value >> 8);
  frame.payload[static_cast<std::size_t>(offset) + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

// Changes byte `offset` of the first scan header after the first one: it
// sits in the entropy-coded tail of a multi-scan file.
Bytes with_second_scan_byte(const Bytes& jpeg, std::size_t offset, std::uint8_t value) {
  JpegParts parts = split_jpeg(jpeg);
  const std::vector<std::size_t> scans = find_bytes(parts.tail, {0xFF, 0xDA});
  if (scans.empty()) throw std::runtime_error("no second scan");
  parts.tail[scans[0] + 2 + offset] = value;
  return join_jpeg(parts);
}

std::vector<ErrorCase> error_cases() {
  const Bytes grey = grey_file();
  const Bytes colour = colour_file();
  std::vector<ErrorCase> cases;
  auto add = [&](std::string name, Bytes file, int expected, Stage stage) {
    cases.push_back({std::move(name), std::move(file), expected, stage});
  };

  // Huffman table segments.
  add("Huffman counts add up to 256",
      with_segment_before_frame(grey, huffman_segment(0x00, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 200, 56}, 256)),
      jpeg_error_huffman_counts, Stage::construct);
  add("three Huffman codes of one bit", with_segment_before_frame(grey, huffman_segment(0x00, {3}, 3)),
      jpeg_error_huffman_counts, Stage::construct);
  add("Huffman table index 8 (AC 4)", with_segment_before_frame(grey, huffman_segment(0x14, {1}, 1)),
      jpeg_error_huffman_index, Stage::construct);
  add("Huffman table index 8 (DC 8)", with_segment_before_frame(grey, huffman_segment(0x08, {1}, 1)),
      jpeg_error_huffman_index, Stage::construct);
  {
    JpegSegment short_length = huffman_segment(0x00, {1}, 1);
    short_length.length = 1;
    add("Huffman segment length 1", with_segment_before_frame(grey, short_length), jpeg_error_huffman_length,
        Stage::construct);
    JpegSegment missing_symbol = huffman_segment(0x00, {2}, 1);
    add("Huffman segment one symbol short", with_segment_before_frame(grey, missing_symbol), jpeg_error_huffman_length,
        Stage::construct);
    add("Huffman segment after the frame, length 1",
        edited(grey, [](JpegParts& parts) { segment(parts, 0xC4).length = 1; }), jpeg_error_huffman_length,
        Stage::begin);
  }

  // Quantisation table segments.
  {
    JpegSegment short_length = quant_segment(0x00, 64);
    short_length.length = 1;
    add("quantisation segment length 1", with_segment_before_frame(grey, short_length), jpeg_error_quant_length,
        Stage::construct);
  }
  add("quantisation table number 4", with_segment_before_frame(grey, quant_segment(0x04, 64)), jpeg_error_quant_number,
      Stage::construct);
  add("8-bit quantisation table one byte short", with_segment_before_frame(grey, quant_segment(0x00, 63)),
      jpeg_error_quant_short, Stage::construct);
  add("16-bit quantisation table with 64 bytes", with_segment_before_frame(grey, quant_segment(0x10, 64)),
      jpeg_error_quant_short, Stage::construct);

  // Frame header.
  add("precision 12", edited(grey, [](JpegParts& parts) { segment(parts, 0xC0).payload[0] = 12; }),
      jpeg_error_precision, Stage::construct);
  add("height 0", edited(grey, [](JpegParts& parts) { set_frame_u16(parts, 1, 0); }), jpeg_error_height,
      Stage::construct);
  add("height 8193", edited(grey, [](JpegParts& parts) { set_frame_u16(parts, 1, 8193); }), jpeg_error_height,
      Stage::construct);
  add("width 0", edited(grey, [](JpegParts& parts) { set_frame_u16(parts, 3, 0); }), jpeg_error_width,
      Stage::construct);
  add("width 8193", edited(grey, [](JpegParts& parts) { set_frame_u16(parts, 3, 8193); }), jpeg_error_width,
      Stage::construct);
  add("five components",
      edited(grey,
             [](JpegParts& parts) {
               JpegSegment& frame = segment(parts, 0xC0);
               frame.payload[5] = 5;
               for (int c = 2; c <= 5; ++c)
                 frame.payload.insert(frame.payload.end(), {static_cast<std::uint8_t>(c), 0x11, 0});
             }),
      jpeg_error_component_limit, Stage::construct);
  add("frame header one byte long", edited(grey, [](JpegParts& parts) { segment(parts, 0xC0).payload.push_back(0); }),
      jpeg_error_frame_length, Stage::construct);

  // Other segments.
  add("application segment length 1", edited(grey, [](JpegParts& parts) { segment(parts, 0xE0).length = 1; }),
      jpeg_error_segment_length, Stage::construct);
  add("restart interval length 5", with_segment_before_frame(grey, make_segment(0xDD, {0, 4, 0})),
      jpeg_error_restart_length, Stage::construct);
  add("restart interval length 3", with_segment_before_frame(grey, make_segment(0xDD, {4})), jpeg_error_restart_length,
      Stage::construct);

  // Scan header.
  add("scan header one byte long", edited(grey, [](JpegParts& parts) { segment(parts, 0xDA).payload.push_back(0); }),
      jpeg_error_scan_length, Stage::begin);
  add("scan of 0 components",
      edited(grey,
             [](JpegParts& parts) {
               segment(parts, 0xDA).payload = {0, 0, 63, 0};
             }),
      jpeg_error_scan_length, Stage::begin);
  add("scan of 5 components",
      edited(
          colour,
          [](JpegParts& parts) { segment(parts, 0xDA).payload = {5, 1, 0, 2, 0x11, 3, 0x11, 1, 0, 2, 0, 0, 63, 0}; }),
      jpeg_error_scan_length, Stage::begin);
  add("scan names component 9", edited(grey, [](JpegParts& parts) { segment(parts, 0xDA).payload[1] = 9; }),
      jpeg_error_scan_component, Stage::begin);
  add("scan names a component twice", edited(colour, [](JpegParts& parts) { segment(parts, 0xDA).payload[3] = 1; }),
      jpeg_error_scan_component, Stage::begin);

  // Arithmetic coding.
  {
    EncodeOptions arithmetic;
    arithmetic.arithmetic = true;
    add("arithmetic frame (C9)", libjpeg_encode(make_test_picture(16, 16, 3), arithmetic), jpeg_error_arithmetic,
        Stage::construct);
    add("conditioning marker (CC)", with_segment_before_frame(grey, make_segment(0xCC, {0x00, 0x10})),
        jpeg_error_arithmetic, Stage::construct);
  }

  // Markers out of place.
  add("TEM marker among the tables", with_segment_before_frame(grey, make_standalone(0x01)),
      jpeg_error_marker_out_of_place, Stage::construct);
  add("restart marker among the tables", with_segment_before_frame(grey, make_standalone(0xD3)),
      jpeg_error_marker_out_of_place, Stage::construct);
  add("JPG marker (C8) among the tables", with_segment_before_frame(grey, make_segment(0xC8, {0, 0})),
      jpeg_error_marker_out_of_place, Stage::construct);
  add("end of image instead of a scan",
      edited(grey,
             [](JpegParts& parts) {
               parts.segments.resize(static_cast<std::size_t>(find_segment(parts, 0xC0)) + 1);
               parts.tail = {0xFF, 0xD9};
             }),
      jpeg_error_marker_out_of_place, Stage::begin);
  add("second frame header before the scan",
      edited(grey,
             [](JpegParts& parts) {
               const JpegSegment frame = segment(parts, 0xC0);
               parts.segments.insert(parts.segments.begin() + find_segment(parts, 0xDA), frame);
             }),
      jpeg_error_marker_out_of_place, Stage::begin);
  {
    EncodeOptions separate;
    separate.separate_scans = true;
    const Bytes multi_scan = libjpeg_encode(make_test_picture(16, 16, 3), separate);
    add("second scan codes the luma again", with_second_scan_byte(multi_scan, 3, 1), jpeg_error_marker_out_of_place,
        Stage::begin);
  }

  // Not a JPEG file.
  add("empty file", {}, jpeg_error_not_jpeg, Stage::construct);
  add("text", Bytes{'h', 'e', 'l', 'l', 'o'}, jpeg_error_not_jpeg, Stage::construct);
  {
    Bytes late(512, 0x20);
    late.insert(late.end(), grey.begin(), grey.end());
    add("start of image ending at byte 514", late, jpeg_error_not_jpeg, Stage::construct);
    Bytes no_marker = grey;
    no_marker[2] = 0x00;
    add("start of image followed by 00", no_marker, jpeg_error_not_jpeg, Stage::construct);
  }

  // Frame types.
  add("lossless frame (C3)", edited(grey, [](JpegParts& parts) { segment(parts, 0xC0).marker = 0xC3; }),
      jpeg_error_frame_type, Stage::construct);
  add("differential frame (C5)", edited(grey, [](JpegParts& parts) { segment(parts, 0xC0).marker = 0xC5; }),
      jpeg_error_frame_type, Stage::construct);
  add("scan before any frame",
      edited(grey, [](JpegParts& parts) { parts.segments.erase(parts.segments.begin() + find_segment(parts, 0xC0)); }),
      jpeg_error_frame_type, Stage::construct);

  // Progressive scans: the first scan's band and approximation bits.
  {
    EncodeOptions progressive;
    progressive.progressive = true;
    const Bytes colour_progressive = libjpeg_encode(make_test_picture(16, 16, 3), progressive);
    const Bytes grey_progressive = libjpeg_encode(make_test_picture(16, 16, 1), progressive);
    // The scan header ends with spectral start, spectral end, and high << 4 | low.
    auto with_band = [](const Bytes& jpeg, int start, int end, int approximation) {
      return edited(jpeg, [=](JpegParts& parts) {
        Bytes& scan = segment(parts, 0xDA).payload;
        scan[scan.size() - 3] = static_cast<std::uint8_t>(start);
        scan[scan.size() - 2] = static_cast<std::uint8_t>(end);
        scan[scan.size() - 1] = static_cast<std::uint8_t>(approximation);
      });
    };
    add("DC scan with spectral end 1", with_band(colour_progressive, 0, 1, 0x01), jpeg_error_spectral_selection,
        Stage::begin);
    add("DC scan with spectral end 64", with_band(grey_progressive, 0, 64, 0x00), jpeg_error_spectral_selection,
        Stage::begin);
    add("AC scan of three components", with_band(colour_progressive, 1, 5, 0x00), jpeg_error_spectral_selection,
        Stage::begin);
    add("AC scan ending before its start", with_band(grey_progressive, 5, 3, 0x00), jpeg_error_spectral_selection,
        Stage::begin);
    add("AC scan with spectral end 64", with_band(grey_progressive, 1, 64, 0x00), jpeg_error_spectral_selection,
        Stage::begin);
    add("approximation high 2 over low 0", with_band(colour_progressive, 0, 0, 0x20),
        jpeg_error_successive_approximation, Stage::begin);
    add("approximation high equal to low", with_band(grey_progressive, 0, 0, 0x11),
        jpeg_error_successive_approximation, Stage::begin);
    add("approximation low 14", with_band(grey_progressive, 0, 0, 0x0E), jpeg_error_successive_approximation,
        Stage::begin);
    add("progressive scan with DC table 2 undefined",
        edited(grey_progressive, [](JpegParts& parts) { segment(parts, 0xDA).payload[2] = 0x20; }),
        jpeg_error_huffman_undefined, Stage::begin);
  }

  // Tables a scan needs.
  add("quantisation table 3 undefined", edited(grey, [](JpegParts& parts) { segment(parts, 0xC0).payload[8] = 3; }),
      jpeg_error_quant_undefined, Stage::begin);
  add("quantisation table 200", edited(grey, [](JpegParts& parts) { segment(parts, 0xC0).payload[8] = 200; }),
      jpeg_error_quant_undefined, Stage::begin);
  add("DC table 1 undefined", edited(grey, [](JpegParts& parts) { segment(parts, 0xDA).payload[2] = 0x10; }),
      jpeg_error_huffman_undefined, Stage::begin);
  add("AC table 3 undefined", edited(grey, [](JpegParts& parts) { segment(parts, 0xDA).payload[2] = 0x03; }),
      jpeg_error_huffman_undefined, Stage::begin);
  add("AC table 15", edited(grey, [](JpegParts& parts) { segment(parts, 0xDA).payload[2] = 0x0F; }),
      jpeg_error_huffman_undefined, Stage::begin);

  // Component counts and sampling.
  add("four components (CMYK)", libjpeg_encode(make_test_picture(16, 16, 4), {}), jpeg_error_component_count,
      Stage::begin);
  add("two components",
      edited(colour,
             [](JpegParts& parts) {
               JpegSegment& frame = segment(parts, 0xC0);
               frame.payload[5] = 2;
               frame.payload.resize(6 + 6);
             }),
      jpeg_error_component_count, Stage::begin);
  add("2x2 chroma", edited(colour, [](JpegParts& parts) { segment(parts, 0xC0).payload[10] = 0x22; }),
      jpeg_error_sampling, Stage::begin);
  add("1x2 chroma", edited(colour, [](JpegParts& parts) { segment(parts, 0xC0).payload[13] = 0x12; }),
      jpeg_error_sampling, Stage::begin);
  add("3x1 luma", edited(colour, [](JpegParts& parts) { segment(parts, 0xC0).payload[7] = 0x31; }), jpeg_error_sampling,
      Stage::begin);
  add("0x1 luma", edited(colour, [](JpegParts& parts) { segment(parts, 0xC0).payload[7] = 0x01; }), jpeg_error_sampling,
      Stage::begin);

  // Entropy-coded data: DC code '0' is size 0 except where noted.
  add("AC run past position 63",
      tiny_grey_jpeg({1}, {0}, {1}, {0xF1},
                     "0"
                     "01"
                     "01"
                     "01"
                     "01"),
      jpeg_error_corrupt_data, Stage::decode);
  add("sixteen zeros past position 63",
      tiny_grey_jpeg({1}, {0}, {1}, {0xF0},
                     "0"
                     "0"
                     "0"
                     "0"
                     "0"),
      jpeg_error_corrupt_data, Stage::decode);
  add("DC magnitude category 16",
      tiny_grey_jpeg({1}, {16}, {1}, {0},
                     "0"
                     "0000000000000000"
                     "0"),
      jpeg_error_corrupt_data, Stage::decode);
  add("bits that are no code", tiny_grey_jpeg({1}, {0}, {1}, {0}, "1"), jpeg_error_corrupt_data, Stage::decode);

  // Progressive entropy-coded data, decoded in begin. Each failing code is
  // followed by more data, so that it cannot pass for data cut short.
  {
    const std::string more = "000000000000000000000000000000000000";
    const TinyScan dc_first{0, 0, 0x00, "0" + more};
    add("progressive DC magnitude category 16",
        tiny_progressive_grey_jpeg({1}, {16}, {1}, {0}, {{0, 0, 0x00, "0" "0000000000000000" + more}}),
        jpeg_error_corrupt_data, Stage::begin);
    add("AC first scan: run past the band's end",
        tiny_progressive_grey_jpeg({1}, {0}, {1}, {0x61}, {dc_first, {1, 5, 0x00, "0" "1" + more}}),
        jpeg_error_corrupt_data, Stage::begin);
    add("AC first scan: sixteen zeros past the band's end",
        tiny_progressive_grey_jpeg({1}, {0}, {1}, {0xF0}, {dc_first, {1, 10, 0x00, "0" + more}}),
        jpeg_error_corrupt_data, Stage::begin);
    // AC code '0' ends the band, '1' is the symbol under test.
    add("AC refinement: magnitude category 2",
        tiny_progressive_grey_jpeg({1}, {0}, {2}, {0x00, 0x12},
                                   {dc_first, {1, 63, 0x01, "0" + more}, {1, 63, 0x10, "1" "1" "1" + more}}),
        jpeg_error_corrupt_data, Stage::begin);
    add("AC refinement: new coefficient past the band's end",
        tiny_progressive_grey_jpeg({1}, {0}, {2}, {0x00, 0xF1},
                                   {dc_first, {1, 5, 0x01, "0" + more}, {1, 5, 0x10, "1" "1" + more}}),
        jpeg_error_corrupt_data, Stage::begin);
    add("AC scan with AC table 1 undefined",
        tiny_progressive_grey_jpeg({1}, {0}, {1}, {0x00}, {dc_first, {1, 63, 0x00, "0" + more, 0x01}}),
        jpeg_error_huffman_undefined, Stage::begin);
  }

  // Restarts.
  {
    EncodeOptions restarts;
    restarts.restart_interval = 1;
    const Bytes restart_file = libjpeg_encode(make_test_picture(32, 32, 3), restarts);
    add("restart marker 1 where 0 is due",
        edited(restart_file,
               [](JpegParts& parts) {
                 parts.tail[find_bytes(parts.tail, {0xFF, 0xD0})[0] + 1] = 0xD1;
               }),
        jpeg_error_restart, Stage::decode);
    add("restart markers swapped",
        edited(restart_file,
               [](JpegParts& parts) {
                 parts.tail[find_bytes(parts.tail, {0xFF, 0xD1})[0] + 1] = 0xD2;
                 parts.tail[find_bytes(parts.tail, {0xFF, 0xD2})[1] + 1] = 0xD1;
               }),
        jpeg_error_restart, Stage::decode);
    add("restart marker missing at the end of the data",
        edited(restart_file,
               [](JpegParts& parts) {
                 const std::size_t last = find_bytes(parts.tail, {0xFF, 0xD0}).back();
                 parts.tail.resize(last);
               }),
        jpeg_error_restart, Stage::decode);
  }
  return cases;
}

}  // namespace

TEST(JpegErrors, EachConditionEndsInItsCodeAtItsStage) {
  for (const ErrorCase& c : error_cases()) {
    const OurDecoding got = decode_with_ours(c.file);
    EXPECT_EQ(got.error, c.expected) << c.name << ": expected error " << c.expected << ", got " << got.error;
    switch (c.stage) {
      case Stage::construct:
        EXPECT_EQ(got.constructed, c.expected) << c.name << ": expected at " << stage_name(c.stage);
        EXPECT_EQ(got.begin_result, -1) << c.name;
        break;
      case Stage::begin:
        EXPECT_EQ(got.constructed, 0) << c.name << ": expected at " << stage_name(c.stage);
        EXPECT_EQ(got.begin_result, -1) << c.name << ": expected at " << stage_name(c.stage);
        break;
      case Stage::decode:
        EXPECT_EQ(got.begin_result, 0) << c.name << ": expected at " << stage_name(c.stage);
        EXPECT_EQ(got.last_result, jpeg_error_corrupt_data) << c.name << ": decode's return value";
        break;
    }
    EXPECT_EQ(got.last_result == 1, false) << c.name << ": the picture must not complete";
  }
}
