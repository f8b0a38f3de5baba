// Reading markers and marker segments (ITU-T T.81 Annex B).
#include "jpeg/jpeg_markers.h"

namespace {

constexpr int max_dimension = 8192;

void read_huffman_tables(JpegByteSource& source, JpegTables& tables, JpegMemory& memory) {
  const long length = static_cast<long>(source.fetch_u16());
  if (length < 2) throw JpegFailure{jpeg_error_huffman_length};
  long remaining = length - 2;
  while (remaining > 0) {
    const int class_and_id = source.fetch();
    std::uint8_t counts[17] = {};
    int total = 0;
    for (int length_bits = 1; length_bits <= 16; ++length_bits) {
      counts[length_bits] = source.fetch();
      total += counts[length_bits];
    }
    if (total > 255) throw JpegFailure{jpeg_error_huffman_counts};
    if (remaining < 17 + total) throw JpegFailure{jpeg_error_huffman_length};
    std::uint8_t symbols[256] = {};
    for (int i = 0; i < total; ++i) symbols[i] = source.fetch();
    // The class is the low bit of the high nibble: 0 DC, 1 AC.
    const int index = (class_and_id & 0x0F) + 4 * ((class_and_id >> 4) & 1);
    if (index > 7) throw JpegFailure{jpeg_error_huffman_index};

    if (tables.huffman[index] == nullptr) tables.huffman[index] = memory.allocate<JpegHuffmanTable>(1);
    JpegHuffmanTable& table = *tables.huffman[index];
    for (int i = 0; i < 17; ++i) table.counts[i] = counts[i];
    for (int i = 0; i < 256; ++i) table.symbols[i] = symbols[i];
    if (!jpeg_huffman_build(table)) throw JpegFailure{jpeg_error_huffman_counts};
    remaining -= 17 + total;
  }
}

void read_quant_tables(JpegByteSource& source, JpegTables& tables) {
  const long length = static_cast<long>(source.fetch_u16());
  if (length < 2) throw JpegFailure{jpeg_error_quant_length};
  long remaining = length - 2;
  while (remaining > 0) {
    const int precision_and_number = source.fetch();
    const int number = precision_and_number & 0x0F;
    const bool sixteen_bit = (precision_and_number >> 4) != 0;
    if (number > 3) throw JpegFailure{jpeg_error_quant_number};
    const int size = sixteen_bit ? 129 : 65;
    if (remaining < size) throw JpegFailure{jpeg_error_quant_short};
    for (int k = 0; k < 64; ++k) {
      tables.quant[number][k] = static_cast<std::uint16_t>(sixteen_bit ? source.fetch_u16() : source.fetch());
    }
    tables.quant_defined[number] = true;
    remaining -= size;
  }
}

void read_restart_interval(JpegByteSource& source, JpegTables& tables) {
  if (source.fetch_u16() != 4) throw JpegFailure{jpeg_error_restart_length};
  tables.restart_interval = static_cast<int>(source.fetch_u16());
}

void skip_segment(JpegByteSource& source) {
  const long length = static_cast<long>(source.fetch_u16());
  if (length < 2) throw JpegFailure{jpeg_error_segment_length};
  source.skip(length - 2);
}

bool is_returned_marker(int marker) {
  // Frame headers are C0..CF but for C4 (Huffman tables), C8 (reserved) and
  // CC (arithmetic conditioning).
  const bool frame_header =
      marker >= 0xC0 && marker <= 0xCF && marker != jpeg_marker_dht && marker != 0xC8 && marker != jpeg_marker_dac;
  return frame_header || marker == jpeg_marker_soi || marker == jpeg_marker_eoi || marker == jpeg_marker_sos;
}

bool is_misplaced_marker(int marker) {
  // TEM, JPG and the restart markers have no place between segments.
  return marker == 0x01 || marker == 0xC8 || (marker >= jpeg_marker_rst0 && marker <= jpeg_marker_rst0 + 7);
}

}  // namespace

void jpeg_find_start_of_image(JpegByteSource& source) {
  // The pair FF D8 must end by the 513th byte: the first two bytes and then
  // at most 511 more.
  int previous = source.fetch();
  int current = source.fetch();
  for (int further = 0; !(previous == 0xFF && current == jpeg_marker_soi); ++further) {
    if (further == 511) throw JpegFailure{jpeg_error_not_jpeg};
    previous = current;
    current = source.fetch();
  }
  if (source.fetch() != 0xFF) throw JpegFailure{jpeg_error_not_jpeg};
  source.unfetch();  // the FF starts the next marker
}

int jpeg_next_marker(JpegByteSource& source) {
  for (;;) {
    while (source.fetch() != 0xFF) {
    }
    int code = 0xFF;
    while (code == 0xFF) code = source.fetch();  // fill bytes
    if (code != 0x00) return code;               // FF 00 is no marker: search on
  }
}

int jpeg_read_markers(JpegByteSource& source, JpegTables& tables, JpegMemory& memory) {
  for (;;) {
    const int marker = jpeg_next_marker(source);
    if (is_returned_marker(marker)) return marker;
    if (is_misplaced_marker(marker)) throw JpegFailure{jpeg_error_marker_out_of_place};
    switch (marker) {
      case jpeg_marker_dht:
        read_huffman_tables(source, tables, memory);
        break;
      case jpeg_marker_dqt:
        read_quant_tables(source, tables);
        break;
      case jpeg_marker_dri:
        read_restart_interval(source, tables);
        break;
      case jpeg_marker_dac:
        throw JpegFailure{jpeg_error_arithmetic};
      default:
        skip_segment(source);
        break;  // application data, comments, the rest
    }
  }
}

void jpeg_read_frame_header(JpegByteSource& source, JpegFrameHeader& frame) {
  const int length = static_cast<int>(source.fetch_u16());
  if (source.fetch() != 8) throw JpegFailure{jpeg_error_precision};
  frame.height = static_cast<int>(source.fetch_u16());
  if (frame.height < 1 || frame.height > max_dimension) throw JpegFailure{jpeg_error_height};
  frame.width = static_cast<int>(source.fetch_u16());
  if (frame.width < 1 || frame.width > max_dimension) throw JpegFailure{jpeg_error_width};
  frame.component_count = source.fetch();
  if (frame.component_count > 4) throw JpegFailure{jpeg_error_component_limit};
  if (length != 8 + 3 * frame.component_count) throw JpegFailure{jpeg_error_frame_length};
  for (int i = 0; i < frame.component_count; ++i) {
    JpegFrameComponent& component = frame.components[i];
    component.id = source.fetch();
    const int sampling = source.fetch();
    component.h_sampling = sampling >> 4;
    component.v_sampling = sampling & 0x0F;
    component.quant_table = source.fetch();
  }
}

void jpeg_read_scan_header(JpegByteSource& source, const JpegFrameHeader& frame, JpegScanHeader& scan) {
  const int length = static_cast<int>(source.fetch_u16());
  const int count = source.fetch();
  if (length - 3 != 2 * count + 3 || count < 1 || count > 4) throw JpegFailure{jpeg_error_scan_length};
  scan.component_count = count;
  for (int i = 0; i < count; ++i) {
    const int id = source.fetch();
    const int table_numbers = source.fetch();
    int index = 0;
    while (index < frame.component_count && frame.components[index].id != id) ++index;
    if (index == frame.component_count) throw JpegFailure{jpeg_error_scan_component};
    for (int j = 0; j < i; ++j) {
      if (scan.components[j] == index) throw JpegFailure{jpeg_error_scan_component};
    }
    scan.components[i] = index;
    scan.dc_table[i] = table_numbers >> 4;
    scan.ac_table[i] = (table_numbers & 0x0F) + 4;
  }
  scan.spectral_start = source.fetch();
  scan.spectral_end = source.fetch();
  const int approximation = source.fetch();
  scan.approximation_high = approximation >> 4;
  scan.approximation_low = approximation & 0x0F;
}
