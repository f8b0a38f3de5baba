// From coefficients to output lines: each MCU row's blocks are transformed
// into the components' sample rows, and lines are taken from there, colour
// lines converted with chroma replicated over the luma sampling.
#include "jpeg/jpeg_decoder.h"
#include "jpeg/jpeg_idct.h"

const std::uint8_t* JpegDecoder::produce_line() {
  const int mcu_row = next_line_ / frame_.mcu_height;
  if (mcu_row != current_mcu_row_) {
    produce_mcu_row(mcu_row);
    current_mcu_row_ = mcu_row;
  }
  const int row_line = next_line_ - mcu_row * frame_.mcu_height;
  ++next_line_;

  const JpegComponent& luma = frame_.components[0];
  const std::uint8_t* luma_line = luma.samples + row_line * luma.sample_stride;
  if (component_count() == 1) return luma_line;

  // Chroma has one sample row for every max_v_sampling luma rows.
  const int chroma_line = row_line / frame_.max_v_sampling;
  const JpegComponent& cb = frame_.components[1];
  const JpegComponent& cr = frame_.components[2];
  const std::uint8_t* cb_line = cb.samples + chroma_line * cb.sample_stride;
  const std::uint8_t* cr_line = cr.samples + chroma_line * cr.sample_stride;
  std::uint8_t* second_line = line_buffer_ + bytes_per_line();
  if (frame_.max_v_sampling == 1) {
    jpeg_colour_convert_line(colour_tables_, luma_line, cb_line, cr_line, frame_.max_h_sampling, width(), line_buffer_);
    return line_buffer_;
  }
  // The second line of a pair was converted with the first (the MCU row
  // holds both, even when the picture ends after the first).
  if (row_line % 2 == 1) return second_line;
  jpeg_colour_convert_line_pair(colour_tables_, luma_line, luma_line + luma.sample_stride, cb_line, cr_line,
                                frame_.max_h_sampling, width(), line_buffer_, second_line);
  return line_buffer_;
}

void JpegDecoder::produce_mcu_row(int mcu_row) {
  if (from_stores_) {
    transform_stores(mcu_row);
    return;
  }
  scan_.decode_next_mcu_row();
  if (mcu_row == frame_.mcu_rows - 1) {
    // The scan is complete: step past its end to the next marker.
    bits_.reset();
    jpeg_read_markers(source_, tables_, memory_);
  }
  transform_row_buffers();
}

void JpegDecoder::transform_row_buffers() {
  for (int i = 0; i < component_count(); ++i) {
    JpegComponent& component = frame_.components[i];
    for (int by = 0; by < component.v_sampling; ++by) {
      // Blocks right of the component's own width only pad the last MCU.
      for (int bx = 0; bx < component.blocks_wide; ++bx) {
        std::uint8_t* output = component.samples + 8 * (by * component.sample_stride + bx);
        const std::int16_t* block = component.row_block(bx, by);
        if (component.row_extent(bx, by) <= 1) {
          jpeg_idct_dc_block(jpeg_dequantise(block[0], component.quant[0]), output, component.sample_stride);
        } else {
          jpeg_idct_block(block, component.quant, output, component.sample_stride);
        }
      }
    }
  }
}

void JpegDecoder::transform_stores(int mcu_row) {
  for (int i = 0; i < component_count(); ++i) {
    JpegComponent& component = frame_.components[i];
    for (int by = 0; by < component.v_sampling; ++by) {
      for (int bx = 0; bx < component.blocks_wide; ++bx) {
        jpeg_idct_block(component.store_block(bx, mcu_row * component.v_sampling + by), component.quant,
                        component.samples + 8 * (by * component.sample_stride + bx), component.sample_stride);
      }
    }
  }
}
