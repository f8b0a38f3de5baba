// The picture being decoded: its components with their geometry, latched
// quantisation tables and buffers, and the MCU layout of the frame.
#pragma once

#include <cstdint>

#include "jpeg/jpeg_markers.h"

struct JpegComponent {
  int h_sampling = 1;  // as used for decoding: 1 or 2 for luma, 1 for chroma and grey
  int v_sampling = 1;
  int quant_table = 0;
  // The component's own size in blocks, and the blocks across one MCU row
  // (whole MCUs, so at least blocks_wide).
  int blocks_wide = 0;
  int blocks_high = 0;
  int row_blocks_wide = 0;

  // Quantisation entries in natural order, copied when the first scan that
  // codes the component starts.
  std::uint16_t quant[64] = {};
  bool coded = false;
  int dc_predictor = 0;

  // One MCU row: raw coefficient blocks (natural order) with, per
  // block, how many zig-zag positions may be non-zero; and the samples,
  // v_sampling * 8 rows of sample_stride bytes.
  std::int16_t* row_coefficients = nullptr;
  std::uint8_t* row_extents = nullptr;
  std::uint8_t* samples = nullptr;
  int sample_stride = 0;

  // The whole picture's raw coefficients, for frames decoded scan by scan
  // before any line is delivered: row_blocks_wide * (MCU rows * v_sampling)
  // blocks, natural order.
  std::int16_t* store = nullptr;

  std::int16_t* row_block(int bx, int by) { return row_coefficients + 64 * (by * row_blocks_wide + bx); }
  std::uint8_t& row_extent(int bx, int by) { return row_extents[by * row_blocks_wide + bx]; }
  std::int16_t* store_block(int bx, int by) { return store + 64 * (by * row_blocks_wide + bx); }
};

struct JpegFrame {
  JpegFrameHeader header;
  bool progressive = false;
  JpegComponent components[4];
  int max_h_sampling = 1;
  int max_v_sampling = 1;
  int mcu_width = 8;  // pixels
  int mcu_height = 8;
  int mcus_wide = 0;
  int mcu_rows = 0;
};

// Zig-zag index to natural (row-major) index.
extern const std::uint8_t jpeg_zigzag_to_natural[64];
