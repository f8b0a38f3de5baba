// Markers and marker segments: the start-of-image search, the search for the
// next marker, and the segments read between markers (tables, restart
// interval, frame header, scan header).
#pragma once

#include <cstdint>

#include "jpeg/jpeg_byte_source.h"
#include "jpeg/jpeg_huffman.h"
#include "jpeg/jpeg_memory.h"

// Marker codes (the byte after FF) the decoder acts on.
enum JpegMarker : int {
  jpeg_marker_sof_baseline = 0xC0,
  jpeg_marker_sof_extended = 0xC1,
  jpeg_marker_sof_progressive = 0xC2,
  jpeg_marker_dht = 0xC4,
  jpeg_marker_sof_arithmetic = 0xC9,
  jpeg_marker_dac = 0xCC,
  jpeg_marker_rst0 = 0xD0,
  jpeg_marker_soi = 0xD8,
  jpeg_marker_eoi = 0xD9,
  jpeg_marker_sos = 0xDA,
  jpeg_marker_dqt = 0xDB,
  jpeg_marker_dri = 0xDD,
};

// Tables defined so far; a later segment may redefine any of them.
struct JpegTables {
  // Indexed by class * 4 + identifier: DC tables 0..3, AC tables 4..7.
  // Storage comes from the decoder's memory on first definition.
  JpegHuffmanTable* huffman[8] = {};
  // Entries in zig-zag order, as in the file; 8- and 16-bit tables alike.
  std::uint16_t quant[4][64] = {};
  bool quant_defined[4] = {};
  int restart_interval = 0;  // MCUs between restart markers; 0 for none
};

struct JpegFrameComponent {
  int id = 0;
  int h_sampling = 0;
  int v_sampling = 0;
  int quant_table = 0;
};

struct JpegFrameHeader {
  int width = 0;
  int height = 0;
  int component_count = 0;
  JpegFrameComponent components[4];
};

struct JpegScanHeader {
  int component_count = 0;
  int components[4] = {};  // indices into the frame's components, in scan order
  int dc_table[4] = {};    // Huffman table index 0..3, or above 7 when the file names one that cannot exist
  int ac_table[4] = {};    // Huffman table index 4..7, likewise
  int spectral_start = 0;
  int spectral_end = 0;
  int approximation_high = 0;
  int approximation_low = 0;
};

// Finds FF D8 within the first 513 bytes and checks that a marker follows.
void jpeg_find_start_of_image(JpegByteSource& source);

// Skips to the next marker and returns its code.
int jpeg_next_marker(JpegByteSource& source);

// Reads markers, taking in table and restart-interval segments and skipping
// the ones of no interest, until a frame header, start or end of image, or
// start of scan, whose code it returns (the segment itself is left unread).
int jpeg_read_markers(JpegByteSource& source, JpegTables& tables, JpegMemory& memory);

void jpeg_read_frame_header(JpegByteSource& source, JpegFrameHeader& frame);
void jpeg_read_scan_header(JpegByteSource& source, const JpegFrameHeader& frame, JpegScanHeader& scan);
