// Splitting, joining and building JPEG files for tests.
#include "jpeg/jpeg_file_edit.h"

#include <stdexcept>

JpegParts split_jpeg(const Bytes& jpeg) {
  if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8) throw std::runtime_error("not a JPEG file");
  JpegParts parts;
  std::size_t at = 2;
  while (at + 4 <= jpeg.size()) {
    if (jpeg[at] != 0xFF) throw std::runtime_error("expected a marker at " + std::to_string(at));
    JpegSegment segment;
    segment.marker = jpeg[at + 1];
    const std::size_t length = static_cast<std::size_t>(jpeg[at + 2] << 8 | jpeg[at + 3]);
    segment.payload.assign(jpeg.begin() + static_cast<long>(at + 4), jpeg.begin() + static_cast<long>(at + 2 + length));
    parts.segments.push_back(segment);
    at += 2 + length;
    if (segment.marker == 0xDA) break;
  }
  parts.tail.assign(jpeg.begin() + static_cast<long>(at), jpeg.end());
  return parts;
}

Bytes join_jpeg(const JpegParts& parts) {
  Bytes jpeg = parts.start;
  for (const JpegSegment& segment : parts.segments) {
    jpeg.push_back(0xFF);
    jpeg.push_back(static_cast<std::uint8_t>(segment.marker));
    if (segment.standalone) continue;
    const int length = segment.length >= 0 ? segment.length : static_cast<int>(segment.payload.size()) + 2;
    jpeg.push_back(static_cast<std::uint8_t>(length >> 8));
    jpeg.push_back(static_cast<std::uint8_t>(length & 0xFF));
    jpeg.insert(jpeg.end(), segment.payload.begin(), segment.payload.end());
  }
  jpeg.insert(jpeg.end(), parts.tail.begin(), parts.tail.end());
  return jpeg;
}

int find_segment(const JpegParts& parts, int marker) {
  for (std::size_t i = 0; i < parts.segments.size(); ++i) {
    if (parts.segments[i].marker == marker) return static_cast<int>(i);
  }
  return -1;
}

JpegSegment make_segment(int marker, std::initializer_list<int> payload) {
  JpegSegment segment;
  segment.marker = marker;
  for (int byte : payload) segment.payload.push_back(static_cast<std::uint8_t>(byte));
  return segment;
}

JpegSegment make_standalone(int marker) {
  JpegSegment segment;
  segment.marker = marker;
  segment.standalone = true;
  return segment;
}

JpegSegment huffman_segment(int class_and_id, const std::vector<int>& counts, const std::vector<int>& symbols) {
  JpegSegment segment;
  segment.marker = 0xC4;
  segment.payload.push_back(static_cast<std::uint8_t>(class_and_id));
  for (int i = 0; i < 16; ++i) {
    segment.payload.push_back(static_cast<std::uint8_t>(i < static_cast<int>(counts.size()) ? counts[i] : 0));
  }
  for (int symbol : symbols) segment.payload.push_back(static_cast<std::uint8_t>(symbol));
  return segment;
}

namespace {

Bytes pack_bits(const std::string& bits) {
  Bytes bytes;
  int value = 0;
  int count = 0;
  auto emit = [&](int byte) {
    bytes.push_back(static_cast<std::uint8_t>(byte));
    if (byte == 0xFF) bytes.push_back(0x00);
  };
  for (char bit : bits) {
    if (bit == ' ') continue;  // spaces only group the codes for the reader
    value = value << 1 | (bit == '1');
    if (++count == 8) {
      emit(value);
      value = count = 0;
    }
  }
  if (count > 0) emit((value << (8 - count)) | ((1 << (8 - count)) - 1));
  return bytes;
}

// Quantisation table 0 all ones, an 8x8 one-component frame of type
// `frame_marker`, DC and AC table 0.
JpegParts tiny_grey_headers(int frame_marker, const std::vector<int>& dc_counts, const std::vector<int>& dc_symbols,
                            const std::vector<int>& ac_counts, const std::vector<int>& ac_symbols) {
  JpegParts parts;
  JpegSegment quant;
  quant.marker = 0xDB;
  quant.payload.push_back(0x00);
  quant.payload.insert(quant.payload.end(), 64, 1);
  parts.segments.push_back(quant);
  parts.segments.push_back(make_segment(frame_marker, {8, 0, 8, 0, 8, 1, 1, 0x11, 0}));
  parts.segments.push_back(huffman_segment(0x00, dc_counts, dc_symbols));
  parts.segments.push_back(huffman_segment(0x10, ac_counts, ac_symbols));
  return parts;
}

}  // namespace

Bytes tiny_progressive_grey_jpeg(const std::vector<int>& dc_counts, const std::vector<int>& dc_symbols,
                                 const std::vector<int>& ac_counts, const std::vector<int>& ac_symbols,
                                 const std::vector<TinyScan>& scans) {
  Bytes jpeg = join_jpeg(tiny_grey_headers(0xC2, dc_counts, dc_symbols, ac_counts, ac_symbols));
  for (const TinyScan& scan : scans) {
    JpegParts part;
    part.start.clear();
    part.segments.push_back(
        make_segment(0xDA, {1, 1, scan.tables, scan.spectral_start, scan.spectral_end, scan.approximation}));
    part.tail = pack_bits(scan.bits);
    const Bytes bytes = join_jpeg(part);
    jpeg.insert(jpeg.end(), bytes.begin(), bytes.end());
  }
  jpeg.push_back(0xFF);
  jpeg.push_back(0xD9);
  return jpeg;
}

Bytes tiny_grey_jpeg(const std::vector<int>& dc_counts, const std::vector<int>& dc_symbols,
                     const std::vector<int>& ac_counts, const std::vector<int>& ac_symbols, const std::string& bits) {
  JpegParts parts = tiny_grey_headers(0xC0, dc_counts, dc_symbols, ac_counts, ac_symbols);
  parts.segments.push_back(make_segment(0xDA, {1, 1, 0x00, 0, 63, 0}));
  parts.tail = pack_bits(bits);
  parts.tail.push_back(0xFF);
  parts.tail.push_back(0xD9);
  return join_jpeg(parts);
}

std::vector<std::size_t> find_bytes(const Bytes& haystack, const Bytes& needle) {
  std::vector<std::size_t> places;
  for (std::size_t i = 0; i + needle.size() <= haystack.size(); ++i) {
    bool match = true;
    for (std::size_t j = 0; j < needle.size() && match; ++j) match = haystack[i + j] == needle[j];
    if (match) places.push_back(i);
  }
  return places;
}
