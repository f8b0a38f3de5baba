// Colour conversion tables and the line converter.
#include "jpeg/jpeg_colour.h"

#include <algorithm>

namespace {

std::uint8_t clamp_byte(int value) { return static_cast<std::uint8_t>(std::clamp(value, 0, 255)); }

inline void convert_pixel(const JpegColourTables& tables, int y, int cb, int cr, std::uint8_t* out) {
  out[0] = clamp_byte(y + tables.red_from_cr[cr]);
  // Arithmetic shift of the 16.16 green sum.
  out[1] = clamp_byte(y + ((tables.green_from_cr[cr] + tables.green_from_cb[cb]) >> 16));
  out[2] = clamp_byte(y + tables.blue_from_cb[cb]);
}

}  // namespace

void jpeg_colour_tables_build(JpegColourTables& tables) {
  for (int i = 0; i < 256; ++i) {
    tables.red_from_cr[i] = (91882 * i - 11682187) >> 16;
    tables.blue_from_cb[i] = (116130 * i - 14773807) >> 16;
    tables.green_from_cr[i] = 5967255 - 46802 * i;
    tables.green_from_cb[i] = 2908403 - 22554 * i;
  }
}

void jpeg_colour_convert_line(const JpegColourTables& tables, const std::uint8_t* luma, const std::uint8_t* cb,
                              const std::uint8_t* cr, int chroma_step, int width, std::uint8_t* output) {
  if (chroma_step == 1) {
    for (int x = 0; x < width; ++x) convert_pixel(tables, luma[x], cb[x], cr[x], output + 4 * x);
    return;
  }
  for (int x = 0; x < width; ++x) convert_pixel(tables, luma[x], cb[x >> 1], cr[x >> 1], output + 4 * x);
}
