// Progressive block decoding and scan checks.
#include "jpeg/jpeg_progressive.h"

#include "jpeg/jpeg_frame.h"

namespace {

// A scan's low bit is at most 13, T.81's bound for progressive frames
// (Table B.3): a higher one is an invalid successive approximation. The
// bound also keeps every shifted value inside the stores' 16 bits.
constexpr int max_low_bit = 13;

// Values wrap at 16 bits: only corrupt data gets there.
std::int16_t to_coefficient(int value) { return static_cast<std::int16_t>(value); }

int wrap16(int value) { return ((value + 32768) & 0xFFFF) - 32768; }

// Walks the band from `k` to the end, refining every non-zero coefficient
// it passes, and stops at the `zeros`th zero coefficient (counting from 0),
// which it returns; returns band.end + 1 when the band has fewer zeros.
int refine_until_zero(JpegBitWindow& bits, const JpegBand& band, int k, int zeros, std::int16_t* block) {
  const int bit = 1 << band.low_bit;
  for (; k <= band.end; ++k) {
    std::int16_t& coefficient = block[jpeg_zigzag_to_natural[k]];
    if (coefficient == 0) {
      if (zeros-- == 0) return k;
      continue;
    }
    // The correction bit adds 2^low_bit to the magnitude, once.
    if (bits.read_bit() && (coefficient & bit) == 0) {
      coefficient = to_coefficient(coefficient >= 0 ? coefficient + bit : coefficient - bit);
    }
  }
  return k;
}

}  // namespace

void jpeg_check_progressive_scan(const JpegScanHeader& header) {
  const bool dc_scan = header.spectral_start == 0;
  if (header.spectral_end < header.spectral_start || header.spectral_end > 63) {
    throw JpegFailure{jpeg_error_spectral_selection};
  }
  if (dc_scan ? header.spectral_end != 0 : header.component_count != 1) {
    throw JpegFailure{jpeg_error_spectral_selection};
  }
  if (header.approximation_high != 0 && header.approximation_high != header.approximation_low + 1) {
    throw JpegFailure{jpeg_error_successive_approximation};
  }
  if (header.approximation_low > max_low_bit) throw JpegFailure{jpeg_error_successive_approximation};
}

void jpeg_decode_dc_first(JpegBitReader& reader, const JpegHuffmanTable& dc_table, int& predictor, int low_bit,
                          std::int16_t* block) {
  JpegBitWindow bits(reader);
  const int size = bits.decode(dc_table);
  if (size > 15) throw JpegFailure{jpeg_error_corrupt_data};
  const int difference = size == 0 ? 0 : bits.read_signed(size);
  predictor = wrap16(predictor + difference);
  block[0] = to_coefficient(predictor * (1 << low_bit));
}

void jpeg_decode_dc_refine(JpegBitReader& bits, int low_bit, std::int16_t* block) {
  if (bits.read_bit()) block[0] = to_coefficient(block[0] | (1 << low_bit));
}

void jpeg_decode_ac_first(JpegBitReader& reader, const JpegHuffmanTable& ac_table, const JpegBand& band,
                          int& eob_run, std::int16_t* block) {
  if (eob_run > 0) {
    --eob_run;
    return;
  }
  JpegBitWindow bits(reader);
  for (int k = band.start; k <= band.end; ++k) {
    bits.ensure(16);
    // A code with its magnitude bits in one look-up, unless its run leaves
    // the band: that error is raised below, after the code alone.
    const JpegHuffmanTable::FastCoefficient fast = ac_table.fast_ac[bits.peek_lookup_bits()];
    if (fast.bits != 0 && k + fast.run <= band.end) {
      bits.skip(fast.bits);
      k += fast.run;
      block[jpeg_zigzag_to_natural[k]] = to_coefficient(fast.value * (1 << band.low_bit));
      continue;
    }
    const int symbol = bits.decode_buffered(ac_table);
    const int run = symbol >> 4;
    const int size = symbol & 0x0F;
    if (size == 0) {
      if (run == 15) {
        // Sixteen zeros: positions k .. k + 15 must lie in the band.
        if (k + 15 > band.end) throw JpegFailure{jpeg_error_corrupt_data};
        k += 15;
        continue;
      }
      // End of band for this block and the next 2^run - 1 + (run bits).
      eob_run = (1 << run) - 1;
      if (run > 0) eob_run += static_cast<int>(bits.read_bits(run));
      return;
    }
    k += run;
    if (k > band.end) throw JpegFailure{jpeg_error_corrupt_data};
    block[jpeg_zigzag_to_natural[k]] = to_coefficient(bits.read_signed(size) * (1 << band.low_bit));
  }
}

void jpeg_decode_ac_refine(JpegBitReader& reader, const JpegHuffmanTable& ac_table, const JpegBand& band,
                           int& eob_run, std::int16_t* block) {
  JpegBitWindow bits(reader);
  int k = band.start;
  if (eob_run == 0) {
    for (; k <= band.end; ++k) {
      const int symbol = bits.decode(ac_table);
      const int run = symbol >> 4;
      const int size = symbol & 0x0F;
      int value = 0;
      if (size == 0) {
        if (run != 15) {
          // End of band: the rest of this block is refined below.
          eob_run = 1 << run;
          if (run > 0) eob_run += static_cast<int>(bits.read_bits(run));
          break;
        }
        // Sixteen zeros, refining the non-zero coefficients among them.
      } else {
        // A newly non-zero coefficient is +-2^low_bit: size 1 and its sign bit.
        if (size != 1) throw JpegFailure{jpeg_error_corrupt_data};
        value = bits.read_bit() ? 1 << band.low_bit : -(1 << band.low_bit);
      }
      k = refine_until_zero(bits, band, k, run, block);
      if (value != 0) {
        if (k > band.end) throw JpegFailure{jpeg_error_corrupt_data};
        block[jpeg_zigzag_to_natural[k]] = to_coefficient(value);
      }
    }
  }
  if (eob_run > 0) {
    // Inside an end-of-band run: only correction bits, up to the band's end.
    refine_until_zero(bits, band, k, 64, block);
    --eob_run;
  }
}
