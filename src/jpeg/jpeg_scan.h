// One scan of entropy-coded data: the checks and set-up at its start, the walk
// over its MCUs with restart processing, and where the decoded blocks go
// (the MCU row buffers of an interleaved scan delivered row by row, or the
// whole-picture coefficient stores).
#pragma once

#include "jpeg/jpeg_bit_reader.h"
#include "jpeg/jpeg_byte_source.h"
#include "jpeg/jpeg_frame.h"
#include "jpeg/jpeg_markers.h"
#include "jpeg/jpeg_progressive.h"

class JpegScanDecoder {
 public:
  JpegScanDecoder(JpegByteSource& source, JpegBitReader& bits) : source_(source), bits_(bits) {}

  // Checks the scan (for progressive frames its band and approximation too)
  // and that its Huffman and quantisation tables are defined, latches the
  // quantisation tables of components coded for the first time, and resets
  // predictors, restart counting and the bit reader.
  void start(JpegFrame& frame, const JpegTables& tables, const JpegScanHeader& header);

  // Whether the scan codes every component of the frame (then the picture can
  // be delivered row by row as the scan is decoded).
  bool covers_frame(const JpegFrame& frame) const;

  // Decodes the next MCU row into the components' row buffers.
  // Precondition: the scan of a sequential frame covers the frame.
  void decode_next_mcu_row();

  // Decodes every MCU of the scan into the components' stores.
  void decode_into_stores();

 private:
  enum class Coding { sequential, dc_first, dc_refine, ac_first, ac_refine };

  template <class DecodeBlock>
  void walk_into_stores(DecodeBlock&& decode_block);
  void count_mcu();
  void process_restart();

  JpegByteSource& source_;
  JpegBitReader& bits_;
  JpegScanHeader header_;
  Coding coding_ = Coding::sequential;
  JpegBand band_;
  int eob_run_ = 0;  // blocks left in an end-of-band run
  JpegComponent* components_[4] = {};
  const JpegHuffmanTable* dc_tables_[4] = {};
  const JpegHuffmanTable* ac_tables_[4] = {};
  int mcus_wide_ = 0;  // a single-component scan's MCU is one block of its component
  int mcus_high_ = 0;
  int restart_interval_ = 0;
  int mcus_left_ = 0;
  int next_restart_ = 0;  // 0..7
};
