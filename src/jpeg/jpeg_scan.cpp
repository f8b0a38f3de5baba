// Scan set-up, the MCU walk and restart markers.
#include "jpeg/jpeg_scan.h"

#include "jpeg/jpeg_entropy.h"

namespace {

constexpr int restart_search_limit = 1536;  // bytes searched for a restart marker

// The table at `index`, or null when the index names no table or none is defined.
const JpegHuffmanTable* huffman_table(const JpegTables& tables, int index, int first, int last) {
  return index >= first && index <= last ? tables.huffman[index] : nullptr;
}

}  // namespace

void JpegScanDecoder::start(JpegFrame& frame, const JpegTables& tables, const JpegScanHeader& header) {
  header_ = header;
  if (frame.progressive) {
    jpeg_check_progressive_scan(header);
    const bool dc = header.spectral_start == 0;
    const bool first = header.approximation_high == 0;
    coding_ = dc ? (first ? Coding::dc_first : Coding::dc_refine) : (first ? Coding::ac_first : Coding::ac_refine);
    band_ = JpegBand{header.spectral_start, header.spectral_end, header.approximation_low};
  } else {
    coding_ = Coding::sequential;
  }
  // DC refinement reads raw bits only, so the DC table it names need not be
  // defined (requiring it would refuse valid files); every other scan reads
  // the codes of the tables its spectral selection needs.
  const bool needs_dc_table = header.spectral_start == 0 && coding_ != Coding::dc_refine;
  const bool needs_ac_table = header.spectral_end > 0;
  for (int i = 0; i < header.component_count; ++i) {
    JpegComponent& component = frame.components[header.components[i]];
    components_[i] = &component;
    // A sequential frame codes each component in exactly one scan.
    if (!frame.progressive && component.coded) throw JpegFailure{jpeg_error_marker_out_of_place};
    dc_tables_[i] = huffman_table(tables, header.dc_table[i], 0, 3);
    ac_tables_[i] = huffman_table(tables, header.ac_table[i], 4, 7);
    if (needs_dc_table && dc_tables_[i] == nullptr) throw JpegFailure{jpeg_error_huffman_undefined};
    if (needs_ac_table && ac_tables_[i] == nullptr) throw JpegFailure{jpeg_error_huffman_undefined};
  }
  for (int i = 0; i < header.component_count; ++i) {
    JpegComponent& component = *components_[i];
    if (component.quant_table > 3 || !tables.quant_defined[component.quant_table]) {
      throw JpegFailure{jpeg_error_quant_undefined};
    }
    // A component's quantisation table is fixed when its first scan starts
    // (T.81's rule): a table redefined between progressive scans is not
    // applied to components already coded.
    if (!component.coded) {
      for (int k = 0; k < 64; ++k) component.quant[jpeg_zigzag_to_natural[k]] = tables.quant[component.quant_table][k];
      component.coded = true;
    }
    component.dc_predictor = 0;
  }
  if (header.component_count == 1) {
    mcus_wide_ = components_[0]->blocks_wide;
    mcus_high_ = components_[0]->blocks_high;
  } else {
    mcus_wide_ = frame.mcus_wide;
    mcus_high_ = frame.mcu_rows;
  }
  restart_interval_ = tables.restart_interval;
  mcus_left_ = restart_interval_;
  next_restart_ = 0;
  eob_run_ = 0;
  bits_.reset();
}

bool JpegScanDecoder::covers_frame(const JpegFrame& frame) const {
  // Scan components are distinct, so the counts decide.
  return header_.component_count == frame.header.component_count;
}

void JpegScanDecoder::decode_next_mcu_row() {
  for (int mcu_x = 0; mcu_x < mcus_wide_; ++mcu_x) {
    count_mcu();
    for (int i = 0; i < header_.component_count; ++i) {
      JpegComponent& component = *components_[i];
      for (int by = 0; by < component.v_sampling; ++by) {
        for (int bx = mcu_x * component.h_sampling; bx < (mcu_x + 1) * component.h_sampling; ++bx) {
          std::uint8_t& extent = component.row_extent(bx, by);
          extent = static_cast<std::uint8_t>(jpeg_decode_sequential_block(bits_, *dc_tables_[i], *ac_tables_[i],
                                                                          component.dc_predictor,
                                                                          component.row_block(bx, by), extent));
        }
      }
    }
  }
}

void JpegScanDecoder::decode_into_stores() {
  switch (coding_) {
    case Coding::sequential:
      // Each block is coded once and its store starts at zero.
      walk_into_stores([this](int i, std::int16_t* block) {
        jpeg_decode_sequential_block(bits_, *dc_tables_[i], *ac_tables_[i], components_[i]->dc_predictor, block, 0);
      });
      break;
    case Coding::dc_first:
      walk_into_stores([this](int i, std::int16_t* block) {
        jpeg_decode_dc_first(bits_, *dc_tables_[i], components_[i]->dc_predictor, band_.low_bit, block);
      });
      break;
    case Coding::dc_refine:
      walk_into_stores([this](int, std::int16_t* block) { jpeg_decode_dc_refine(bits_, band_.low_bit, block); });
      break;
    case Coding::ac_first:
      walk_into_stores(
          [this](int i, std::int16_t* block) { jpeg_decode_ac_first(bits_, *ac_tables_[i], band_, eob_run_, block); });
      break;
    case Coding::ac_refine:
      walk_into_stores(
          [this](int i, std::int16_t* block) { jpeg_decode_ac_refine(bits_, *ac_tables_[i], band_, eob_run_, block); });
      break;
  }
}

// Calls decode_block(scan component index, store block) for every block of
// the scan, MCU by MCU. Data cut short is not treated apart: past it the bit
// reader feeds the one bits of the fill, decoded like any data, so a cut
// inside a scan normally ends in corrupt data (no code is all ones) or, at
// the next restart, in a missing restart marker.
template <class DecodeBlock>
void JpegScanDecoder::walk_into_stores(DecodeBlock&& decode_block) {
  for (int mcu_y = 0; mcu_y < mcus_high_; ++mcu_y) {
    for (int mcu_x = 0; mcu_x < mcus_wide_; ++mcu_x) {
      count_mcu();
      for (int i = 0; i < header_.component_count; ++i) {
        JpegComponent& component = *components_[i];
        // One block per MCU in a single-component scan, h x v in an interleaved one.
        const int wide = header_.component_count == 1 ? 1 : component.h_sampling;
        const int high = header_.component_count == 1 ? 1 : component.v_sampling;
        for (int by = mcu_y * high; by < (mcu_y + 1) * high; ++by) {
          for (int bx = mcu_x * wide; bx < (mcu_x + 1) * wide; ++bx) decode_block(i, component.store_block(bx, by));
        }
      }
    }
  }
}

// Counts an MCU against the restart interval, processing the restart
// marker due before it.
void JpegScanDecoder::count_mcu() {
  if (restart_interval_ == 0) return;
  if (mcus_left_ == 0) process_restart();
  --mcus_left_;
}

void JpegScanDecoder::process_restart() {
  bits_.reset();  // the rest of the interval's last byte is padding
  int searched = 0;
  while (source_.fetch() != 0xFF) {
    if (++searched == restart_search_limit) throw JpegFailure{jpeg_error_restart};
  }
  int marker = 0xFF;
  while (marker == 0xFF) marker = source_.fetch();
  if (marker != jpeg_marker_rst0 + next_restart_) throw JpegFailure{jpeg_error_restart};
  for (int i = 0; i < header_.component_count; ++i) components_[i]->dc_predictor = 0;
  eob_run_ = 0;
  mcus_left_ = restart_interval_;
  next_restart_ = (next_restart_ + 1) & 7;
}
