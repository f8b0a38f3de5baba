// The block decoders of progressive scans (ITU-T T.81 G.1.2): each adds one
// scan's share of a block to the block's raw coefficients in the store
// (natural order, not dequantised). A DC scan codes coefficient 0 of every
// block of its components, an AC scan a band of zig-zag positions of one
// component; a first scan codes the values' high bits, a refinement scan one
// more bit. Also the checks of a progressive scan's header.
#pragma once

#include <cstdint>

#include "jpeg/jpeg_bit_reader.h"
#include "jpeg/jpeg_huffman.h"
#include "jpeg/jpeg_markers.h"

// What one progressive scan codes of each block.
struct JpegBand {
  int start = 0;    // first zig-zag position (spectral selection)
  int end = 0;      // last zig-zag position
  int low_bit = 0;  // successive approximation: the lowest bit this scan sends
};

// Throws jpeg_error_spectral_selection or
// jpeg_error_successive_approximation for a scan no progressive frame may
// have.
void jpeg_check_progressive_scan(const JpegScanHeader& header);

// DC first scan: the predictor takes the coded difference, and coefficient 0
// becomes predictor * 2^low_bit.
void jpeg_decode_dc_first(JpegBitReader& bits, const JpegHuffmanTable& dc_table, int& predictor, int low_bit,
                          std::int16_t* block);

// DC refinement: one raw bit, the coefficient's bit low_bit.
void jpeg_decode_dc_refine(JpegBitReader& bits, int low_bit, std::int16_t* block);

// AC first scan over the band. `eob_run` counts the blocks still to skip
// after an end-of-band run; the scan resets it to 0 at its start and at each
// restart. Throws jpeg_error_corrupt_data for runs past the band.
void jpeg_decode_ac_first(JpegBitReader& bits, const JpegHuffmanTable& ac_table, const JpegBand& band, int& eob_run,
                          std::int16_t* block);

// AC refinement over the band: new coefficients of magnitude 2^low_bit, and
// a correction bit for every coefficient already non-zero that the band's
// walk passes. Throws jpeg_error_corrupt_data for codes no encoder makes.
void jpeg_decode_ac_refine(JpegBitReader& bits, const JpegHuffmanTable& ac_table, const JpegBand& band, int& eob_run,
                           std::int16_t* block);
