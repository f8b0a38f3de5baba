// The decoder's public operations and its life cycle: header reading, frame
// preparation, the choice between delivering lines as the scan is decoded
// and decoding every scan first, and the failed state.
#include "jpeg/jpeg_decoder.h"

namespace {

// The decoder's limit on one MCU row; 8192-pixel rows need at most 3072.
constexpr int max_blocks_per_mcu_row = 6144;

int ceil_div(int a, int b) { return (a + b - 1) / b; }

}  // namespace

JpegDecoder::JpegDecoder(JpegInputStream* stream)
    : stream_(stream), source_(stream), bits_(source_), scan_(source_, bits_) {
  stream_->attach();
  run_guarded([this] { read_header(); });
}

JpegDecoder::~JpegDecoder() { release_resources(); }

template <class Operation>
bool JpegDecoder::run_guarded(Operation&& operation) {
  try {
    operation();
    return true;
  } catch (const JpegFailure& failure) {
    error_ = failure.code;
    stage_ = Stage::failed;
    release_resources();
    return false;
  }
}

void JpegDecoder::release_resources() {
  memory_.release_all();
  line_buffer_ = nullptr;
  if (!stream_released_) {
    stream_released_ = true;
    stream_->release();
  }
}

void JpegDecoder::read_header() {
  jpeg_find_start_of_image(source_);
  switch (jpeg_read_markers(source_, tables_, memory_)) {
    case jpeg_marker_sof_baseline:
    case jpeg_marker_sof_extended:
      break;
    case jpeg_marker_sof_progressive:
      frame_.progressive = true;
      break;
    case jpeg_marker_sof_arithmetic:
      throw JpegFailure{jpeg_error_arithmetic};
    default:
      throw JpegFailure{jpeg_error_frame_type};  // lossless, hierarchical, arithmetic variants, no frame
  }
  jpeg_read_frame_header(source_, frame_.header);
}

int JpegDecoder::begin() {
  if (stage_ == Stage::failed) return -1;
  if (stage_ == Stage::ready) return 0;
  const bool begun = run_guarded([this] {
    prepare_frame();
    JpegScanHeader first;
    // No scan fails, in progressive frames too: their stores would deliver a
    // mid-grey picture, a failure passed off as success.
    if (!read_next_scan_header(first)) throw JpegFailure{jpeg_error_marker_out_of_place};
    scan_.start(frame_, tables_, first);
    if (!frame_.progressive && scan_.covers_frame(frame_)) {
      allocate_row_buffers();
    } else {
      decode_scans_into_stores();
    }
    if (component_count() == 3) jpeg_colour_tables_build(colour_tables_);
    stage_ = Stage::ready;
  });
  return begun ? 0 : -1;
}

void JpegDecoder::prepare_frame() {
  const JpegFrameHeader& header = frame_.header;
  JpegComponent* components = frame_.components;
  for (int i = 0; i < header.component_count; ++i) components[i].quant_table = header.components[i].quant_table;

  int blocks_per_mcu = 1;
  if (header.component_count == 1) {
    // A lone component is not interleaved: its MCU is one block whatever
    // sampling factors the header gives.
    components[0].h_sampling = components[0].v_sampling = 1;
  } else if (header.component_count == 3) {
    const JpegFrameComponent& luma = header.components[0];
    for (int i = 1; i < 3; ++i) {
      if (header.components[i].h_sampling != 1 || header.components[i].v_sampling != 1) {
        throw JpegFailure{jpeg_error_sampling};
      }
    }
    if (luma.h_sampling < 1 || luma.h_sampling > 2 || luma.v_sampling < 1 || luma.v_sampling > 2) {
      throw JpegFailure{jpeg_error_sampling};
    }
    components[0].h_sampling = luma.h_sampling;
    components[0].v_sampling = luma.v_sampling;
    blocks_per_mcu = luma.h_sampling * luma.v_sampling + 2;
  } else {
    throw JpegFailure{jpeg_error_component_count};
  }

  frame_.max_h_sampling = components[0].h_sampling;
  frame_.max_v_sampling = components[0].v_sampling;
  frame_.mcu_width = 8 * frame_.max_h_sampling;
  frame_.mcu_height = 8 * frame_.max_v_sampling;
  frame_.mcus_wide = ceil_div(header.width, frame_.mcu_width);
  frame_.mcu_rows = ceil_div(header.height, frame_.mcu_height);
  if (blocks_per_mcu * frame_.mcus_wide > max_blocks_per_mcu_row) throw JpegFailure{jpeg_error_internal_limit};

  for (int i = 0; i < header.component_count; ++i) {
    JpegComponent& component = components[i];
    const int samples_wide = ceil_div(header.width * component.h_sampling, frame_.max_h_sampling);
    const int samples_high = ceil_div(header.height * component.v_sampling, frame_.max_v_sampling);
    component.blocks_wide = ceil_div(samples_wide, 8);
    component.blocks_high = ceil_div(samples_high, 8);
    component.row_blocks_wide = frame_.mcus_wide * component.h_sampling;
    component.sample_stride = 8 * component.row_blocks_wide;
    component.samples =
        memory_.allocate<std::uint8_t>(static_cast<std::size_t>(component.sample_stride) * 8 * component.v_sampling);
  }
  if (header.component_count == 3) {
    // Two lines: with vertical chroma sampling 2 both lines of a chroma line
    // are converted together.
    line_buffer_ = memory_.allocate<std::uint8_t>(static_cast<std::size_t>(header.width) * 4 * 2);
  }
}

void JpegDecoder::allocate_row_buffers() {
  for (int i = 0; i < component_count(); ++i) {
    JpegComponent& component = frame_.components[i];
    const std::size_t blocks = static_cast<std::size_t>(component.row_blocks_wide) * component.v_sampling;
    component.row_coefficients = memory_.allocate<std::int16_t>(blocks * 64);
    component.row_extents = memory_.allocate<std::uint8_t>(blocks);
  }
}

void JpegDecoder::allocate_stores() {
  for (int i = 0; i < component_count(); ++i) {
    JpegComponent& component = frame_.components[i];
    const std::size_t blocks =
        static_cast<std::size_t>(component.row_blocks_wide) * frame_.mcu_rows * component.v_sampling;
    component.store = memory_.allocate<std::int16_t>(blocks * 64);
  }
}

// Reads markers up to the next scan header and reads it; returns false at
// the end of image.
bool JpegDecoder::read_next_scan_header(JpegScanHeader& header) {
  const int marker = jpeg_read_markers(source_, tables_, memory_);
  if (marker == jpeg_marker_eoi) return false;
  if (marker != jpeg_marker_sos) throw JpegFailure{jpeg_error_marker_out_of_place};
  jpeg_read_scan_header(source_, frame_.header, header);
  if (!frame_.progressive) {
    // A sequential scan always covers the whole spectrum.
    header.spectral_start = 0;
    header.spectral_end = 63;
  }
  return true;
}

// For progressive frames, and sequential frames whose scans code the
// components separately: every scan is decoded into the stores, and lines are
// produced from there. The first scan has been started. A progressive frame's
// scans go on to the end of the image; a sequential frame's end when every
// component is coded. Components that no scan codes stay at zero (mid-grey).
void JpegDecoder::decode_scans_into_stores() {
  allocate_stores();
  for (;;) {
    scan_.decode_into_stores();
    bool all_coded = true;
    for (int i = 0; i < component_count(); ++i) all_coded = all_coded && frame_.components[i].coded;
    if (all_coded && !frame_.progressive) break;
    JpegScanHeader next;
    if (!read_next_scan_header(next)) break;  // end of image
    scan_.start(frame_, tables_, next);
  }
  from_stores_ = true;
}

int JpegDecoder::decode(const std::uint8_t** line, int* line_length) {
  if (stage_ != Stage::ready) return -1;
  if (next_line_ == height()) return 1;
  const std::uint8_t* produced = nullptr;
  if (!run_guarded([&] { produced = produce_line(); })) return jpeg_error_corrupt_data;
  *line = produced;
  *line_length = bytes_per_line();
  return 0;
}
