// JpegDecoder: decodes one Huffman-coded JPEG picture (baseline, extended
// sequential and progressive frames; 8-bit samples; greyscale, or YCbCr with
// 1x1, 2x1, 1x2 or 2x2 luma sampling) from a JpegInputStream and delivers it
// line by line, top to bottom.
//
// Calling order: construct (reads the headers up to the frame) -> check
// error_code() -> begin() -> decode() until it returns non-zero -> check
// error_code() -> destroy the decoder -> destroy the stream.
//
// Any error moves the decoder to a failed state at once: the error code is
// set (see jpeg_errors.h), all memory is released, the stream's release()
// is called, and begin() and decode() return -1 from then on.
#pragma once

#include <cstdint>

#include "jpeg/jpeg_bit_reader.h"
#include "jpeg/jpeg_byte_source.h"
#include "jpeg/jpeg_colour.h"
#include "jpeg/jpeg_errors.h"
#include "jpeg/jpeg_frame.h"
#include "jpeg/jpeg_input_stream.h"
#include "jpeg/jpeg_markers.h"
#include "jpeg/jpeg_memory.h"
#include "jpeg/jpeg_scan.h"

class JpegDecoder {
 public:
  // Attaches the stream (not owned; it must outlive the decoder), finds the
  // start of image and reads marker segments up to and including the frame
  // header. Errors leave error_code() set.
  explicit JpegDecoder(JpegInputStream* stream);
  ~JpegDecoder();
  JpegDecoder(const JpegDecoder&) = delete;
  JpegDecoder& operator=(const JpegDecoder&) = delete;

  int error_code() const { return error_; }

  // Prepares the frame and reads up to the first scan (for a progressive
  // frame, or one whose scans each code only some components: decodes every
  // scan). Returns 0 on success, also when already begun, and -1 on error.
  int begin();

  // Delivers the next line: returns 0 with *line pointing at bytes_per_line()
  // bytes, valid until the next call; 1 when every line has been delivered;
  // -1 if the decoder has failed or has not begun; jpeg_error_corrupt_data
  // (-227) if an error occurs while producing this line, error_code() then
  // saying which. Colour lines are 4 bytes per pixel (red, green, blue, 0),
  // greyscale lines 1 byte per pixel.
  int decode(const std::uint8_t** line, int* line_length);

  // Available once the frame header is read.
  int width() const { return frame_.header.width; }
  int height() const { return frame_.header.height; }
  int component_count() const { return frame_.header.component_count; }
  bool progressive() const { return frame_.progressive; }
  int bytes_per_pixel() const { return component_count() == 3 ? 4 : 1; }
  int bytes_per_line() const { return width() * bytes_per_pixel(); }

 private:
  enum class Stage { header_read, ready, failed };

  // Runs `operation`; a JpegFailure from any depth moves the decoder to the
  // failed state. Returns whether the operation completed.
  template <class Operation>
  bool run_guarded(Operation&& operation);
  void release_resources();

  void read_header();
  void prepare_frame();
  void allocate_row_buffers();
  void allocate_stores();
  bool read_next_scan_header(JpegScanHeader& header);
  void decode_scans_into_stores();
  void produce_mcu_row(int mcu_row);
  void transform_row_buffers();
  void transform_stores(int mcu_row);
  const std::uint8_t* produce_line();

  JpegInputStream* stream_;
  bool stream_released_ = false;
  JpegErrorCode error_ = jpeg_ok;
  Stage stage_ = Stage::header_read;

  JpegMemory memory_;
  JpegByteSource source_;
  JpegBitReader bits_;
  JpegTables tables_;
  JpegFrame frame_;
  JpegScanDecoder scan_;

  bool from_stores_ = false;  // lines come from the coefficient stores, not the running scan
  JpegColourTables colour_tables_ = {};
  std::uint8_t* line_buffer_ = nullptr;  // colour lines
  int next_line_ = 0;
  int current_mcu_row_ = -1;  // the MCU row whose samples are in the components' sample rows
};
