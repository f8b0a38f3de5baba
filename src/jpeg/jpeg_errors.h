// The JPEG decoder's error codes. A decoder reports 0 while all is well and
// one of these negative codes once something went wrong; the loaders print
// the number, so the values are fixed.
#pragma once

enum JpegErrorCode : int {
  jpeg_ok = 0,
  jpeg_error_huffman_counts = -200,            // code counts add up to more than 255, or overfill the code space
  jpeg_error_huffman_index = -201,             // table index above 7
  jpeg_error_huffman_length = -202,            // segment length below 2 or too short for its tables
  jpeg_error_quant_length = -203,              // segment length below 2
  jpeg_error_quant_number = -204,              // table number above 3
  jpeg_error_precision = -205,                 // sample precision other than 8
  jpeg_error_height = -206,                    // height 0 or above 8192
  jpeg_error_width = -207,                     // width 0 or above 8192
  jpeg_error_component_limit = -208,           // more than 4 components in the frame
  jpeg_error_frame_length = -209,              // frame header length does not match its component count
  jpeg_error_segment_length = -210,            // skipped segment with length below 2
  jpeg_error_restart_length = -211,            // restart interval segment length other than 4
  jpeg_error_scan_length = -212,               // scan header length or component count wrong
  jpeg_error_scan_component = -213,            // scan names a component the frame lacks, or one twice
  jpeg_error_arithmetic = -215,                // arithmetic coding
  jpeg_error_marker_out_of_place = -216,       // marker out of place, or no scan where one is required
  jpeg_error_not_jpeg = -217,                  // no start of image near the start of the file
  jpeg_error_frame_type = -218,                // unsupported frame type
  jpeg_error_quant_short = -219,               // quantisation segment too short for its tables
  jpeg_error_memory_blocks = -221,             // more than 100 memory blocks needed
  jpeg_error_quant_undefined = -222,           // scan component's quantisation table undefined
  jpeg_error_huffman_undefined = -223,         // Huffman table needed by a scan undefined
  jpeg_error_component_count = -225,           // component count other than 1 or 3
  jpeg_error_sampling = -226,                  // sampling factors not supported
  jpeg_error_corrupt_data = -227,              // corrupt entropy-coded data
  jpeg_error_restart = -228,                   // restart marker missing or out of sequence
  jpeg_error_internal_limit = -229,            // more than 6144 blocks in one MCU row
  jpeg_error_spectral_selection = -230,        // progressive scan with invalid spectral selection
  jpeg_error_successive_approximation = -231,  // progressive scan with invalid successive approximation
  jpeg_error_stream_read = -232,               // the input stream reported a read error
  jpeg_error_out_of_memory = -233,             // memory exhausted
};

// Thrown anywhere inside the decoder and caught at the public operation that
// was running, which then moves the decoder to its failed state.
struct JpegFailure {
  JpegErrorCode code;
};
