// Colour conversion tables and the line converter.
#include "jpeg/jpeg_colour.h"

#include <algorithm>
#include <cstring>

namespace {

// The chroma terms of one chroma sample, each added to the luma of the
// pixels it serves.
struct ChromaTerms {
  int red;
  int green;
  int blue;
};

inline ChromaTerms chroma_terms(const JpegColourTables& tables, int cb, int cr) {
  // Arithmetic shift of the 16.16 green sum.
  return {tables.red_from_cr[cr], (tables.green_from_cr[cr] + tables.green_from_cb[cb]) >> 16, tables.blue_from_cb[cb]};
}

inline void store_pixel(const JpegColourTables& tables, int y, const ChromaTerms& terms, std::uint8_t* out) {
  const std::uint8_t* clamp = tables.clamp + JpegColourTables::clamp_offset + y;
  const std::uint8_t pixel[4] = {clamp[terms.red], clamp[terms.green], clamp[terms.blue], 0};
  std::memcpy(out, pixel, 4);
}

}  // namespace

void jpeg_colour_tables_build(JpegColourTables& tables) {
  for (int i = 0; i < 256; ++i) {
    tables.red_from_cr[i] = (91882 * i - 11682187) >> 16;
    tables.blue_from_cb[i] = (116130 * i - 14773807) >> 16;
    tables.green_from_cr[i] = 5967255 - 46802 * i;
    tables.green_from_cb[i] = 2908403 - 22554 * i;
  }
  for (int i = 0; i < 768; ++i) {
    tables.clamp[i] = static_cast<std::uint8_t>(std::clamp(i - JpegColourTables::clamp_offset, 0, 255));
  }
}

void jpeg_colour_convert_lines_portable(const JpegColourTables& tables, const std::uint8_t* const* luma,
                                        int line_count, const std::uint8_t* cb, const std::uint8_t* cr,
                                        int chroma_step, int width, std::uint8_t* const* output) {
  if (chroma_step == 1) {
    for (int x = 0; x < width; ++x) {
      const ChromaTerms terms = chroma_terms(tables, cb[x], cr[x]);
      for (int line = 0; line < line_count; ++line) store_pixel(tables, luma[line][x], terms, output[line] + 4 * x);
    }
    return;
  }
  // One chroma sample for each pair of pixels; a last odd pixel has its own.
  int x = 0;
  for (; x + 1 < width; x += 2) {
    const ChromaTerms terms = chroma_terms(tables, cb[x >> 1], cr[x >> 1]);
    for (int line = 0; line < line_count; ++line) {
      store_pixel(tables, luma[line][x], terms, output[line] + 4 * x);
      store_pixel(tables, luma[line][x + 1], terms, output[line] + 4 * x + 4);
    }
  }
  if (x < width) {
    const ChromaTerms terms = chroma_terms(tables, cb[x >> 1], cr[x >> 1]);
    for (int line = 0; line < line_count; ++line) store_pixel(tables, luma[line][x], terms, output[line] + 4 * x);
  }
}

namespace {

// The vector converter where there is one, the portable one for the rest.
void convert_lines(const JpegColourTables& tables, const std::uint8_t* const* luma, int line_count,
                   const std::uint8_t* cb, const std::uint8_t* cr, int chroma_step, int width,
                   std::uint8_t* const* output) {
  int done = 0;
#ifdef __SSE2__
  done = jpeg_colour_convert_lines_sse2(luma, line_count, cb, cr, chroma_step, width, output);
  if (done == width) return;
#endif
  // `done` is a multiple of 16, so the chroma lines step over whole samples.
  const std::uint8_t* const rest_luma[2] = {luma[0] + done, line_count == 2 ? luma[1] + done : nullptr};
  std::uint8_t* const rest_output[2] = {output[0] + 4 * done, line_count == 2 ? output[1] + 4 * done : nullptr};
  jpeg_colour_convert_lines_portable(tables, rest_luma, line_count, cb + done / chroma_step, cr + done / chroma_step,
                                     chroma_step, width - done, rest_output);
}

}  // namespace

void jpeg_colour_convert_line(const JpegColourTables& tables, const std::uint8_t* luma, const std::uint8_t* cb,
                              const std::uint8_t* cr, int chroma_step, int width, std::uint8_t* output) {
  convert_lines(tables, &luma, 1, cb, cr, chroma_step, width, &output);
}

void jpeg_colour_convert_line_pair(const JpegColourTables& tables, const std::uint8_t* luma_top,
                                   const std::uint8_t* luma_bottom, const std::uint8_t* cb, const std::uint8_t* cr,
                                   int chroma_step, int width, std::uint8_t* output_top, std::uint8_t* output_bottom) {
  const std::uint8_t* const luma[2] = {luma_top, luma_bottom};
  std::uint8_t* const output[2] = {output_top, output_bottom};
  convert_lines(tables, luma, 2, cb, cr, chroma_step, width, output);
}
