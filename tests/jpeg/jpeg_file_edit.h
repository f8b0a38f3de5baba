// Taking JPEG files apart into marker segments and putting them together
// again, so that tests can make precise damage; and a builder of tiny
// hand-made greyscale files whose entropy-coded bits the test chooses.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "jpeg/libjpeg_oracle.h"

struct JpegSegment {
  int marker = 0;
  Bytes payload;            // without the marker and the length field
  int length = -1;          // the length field to write; -1: payload size + 2
  bool standalone = false;  // a marker without a length field (TEM, RSTn, EOI)
};

// A file as: the bytes before its segments (normally FF D8), the segments up
// to and including the first start of scan, and every byte after that.
struct JpegParts {
  Bytes start = {0xFF, 0xD8};
  std::vector<JpegSegment> segments;
  Bytes tail;
};

JpegParts split_jpeg(const Bytes& jpeg);
Bytes join_jpeg(const JpegParts& parts);

// The index of the first segment with this marker; -1 if none.
int find_segment(const JpegParts& parts, int marker);

JpegSegment make_segment(int marker, std::initializer_list<int> payload);
JpegSegment make_standalone(int marker);
// A Huffman table segment (class << 4 | identifier); counts of lengths 1..16.
JpegSegment huffman_segment(int class_and_id, const std::vector<int>& counts, const std::vector<int>& symbols);

// A 8x8 greyscale baseline file with quantisation table 0 all ones, DC table 0
// and AC table 0 from the given counts (lengths 1..16) and symbols, and
// entropy-coded data from `bits` ('0' and '1', spaces ignored; padded with 1 bits, FF
// bytes stuffed).
Bytes tiny_grey_jpeg(const std::vector<int>& dc_counts, const std::vector<int>& dc_symbols,
                     const std::vector<int>& ac_counts, const std::vector<int>& ac_symbols, const std::string& bits);

// One scan of a tiny progressive file: its band, approximation byte
// (high << 4 | low), Huffman table byte (DC << 4 | AC) and entropy-coded bits.
struct TinyScan {
  int spectral_start;
  int spectral_end;
  int approximation;
  std::string bits;
  int tables = 0x00;
};

// An 8x8 greyscale progressive file like tiny_grey_jpeg, with these scans.
Bytes tiny_progressive_grey_jpeg(const std::vector<int>& dc_counts, const std::vector<int>& dc_symbols,
                                 const std::vector<int>& ac_counts, const std::vector<int>& ac_symbols,
                                 const std::vector<TinyScan>& scans);

// Places in `haystack` where `needle` starts.
std::vector<std::size_t> find_bytes(const Bytes& haystack, const Bytes& needle);
