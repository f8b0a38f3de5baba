// YCbCr to RGB with the JFIF coefficients (1.402, 1.772, 0.71414, 0.34414 in
// 16.16 fixed point), through four tables indexed by a chroma sample (the
// SSE2 converter computes the same terms), and chroma upsampling by
// replication.
#pragma once

#include <cstdint>

struct JpegColourTables {
  std::int32_t red_from_cr[256];
  std::int32_t blue_from_cb[256];
  std::int32_t green_from_cr[256];  // 16.16, summed with green_from_cb then shifted
  std::int32_t green_from_cb[256];
  // clamp[clamp_offset + v] = v limited to 0..255, for every v that luma
  // plus a chroma term can reach (-179..481).
  static constexpr int clamp_offset = 256;
  std::uint8_t clamp[768];
};

void jpeg_colour_tables_build(JpegColourTables& tables);

// Converts one output line of `width` pixels to 4 bytes each: red, green,
// blue, 0. Chroma sample x / chroma_step (chroma_step 1 or 2) serves pixel x.
void jpeg_colour_convert_line(const JpegColourTables& tables, const std::uint8_t* luma, const std::uint8_t* cb,
                              const std::uint8_t* cr, int chroma_step, int width, std::uint8_t* output);

// The same for two lines that share their chroma line (vertical chroma
// sampling 2): each chroma sample's terms are worked out once for both.
void jpeg_colour_convert_line_pair(const JpegColourTables& tables, const std::uint8_t* luma_top,
                                   const std::uint8_t* luma_bottom, const std::uint8_t* cb, const std::uint8_t* cr,
                                   int chroma_step, int width, std::uint8_t* output_top, std::uint8_t* output_bottom);

// The portable converter of `line_count` (1 or 2) lines sharing one chroma
// line: the reference the vector one matches exactly, and the whole job, or
// the end of a line, where there is none.
void jpeg_colour_convert_lines_portable(const JpegColourTables& tables, const std::uint8_t* const* luma,
                                        int line_count, const std::uint8_t* cb, const std::uint8_t* cr,
                                        int chroma_step, int width, std::uint8_t* const* output);

#ifdef __SSE2__
// The same in SSE2 for whole groups of 16 pixels from the start of the
// lines; returns how many pixels of each line it converted (width rounded
// down to a multiple of 16).
int jpeg_colour_convert_lines_sse2(const std::uint8_t* const* luma, int line_count, const std::uint8_t* cb,
                                   const std::uint8_t* cr, int chroma_step, int width, std::uint8_t* const* output);
#endif
