// YCbCr to RGB in SSE2, 16 pixels at a time, giving exactly the portable
// converter's bytes.
//
// The portable converter's chroma terms are (91882 * Cr - 11682187) >> 16,
// (116130 * Cb - 14773807) >> 16 and
// (8875658 - 46802 * Cr - 22554 * Cb) >> 16. Their multipliers and offsets
// do not fit pmaddwd's 16-bit operands, so whole multiples of 2^16 are taken
// out of them first, which the shift turns into exact integer parts:
//   red   = Cr - 178 + ((26346 * Cr - 16779) >> 16)
//   blue  = 2 * Cb - 225 + ((-14942 * Cb - 28207) >> 16)
//   green = 135 - Cr + ((18734 * Cr - 22554 * Cb + 28298) >> 16)
// Luma plus a term lies within -179..481, inside 16 bits; packing to bytes
// clamps to 0..255.
#ifdef __SSE2__

#include <emmintrin.h>

#include "jpeg/jpeg_colour.h"

namespace {

// The helpers are forced inline: called more than once, they would stay out
// of line and pass every vector through memory.

// The three chroma terms of eight chroma samples, in 16-bit lanes.
struct Terms {
  __m128i red;
  __m128i green;
  __m128i blue;
};

// (a * first + b * second + offset) >> 16 for eight pairs (a, b) of 16-bit
// lanes, back in 16-bit lanes.
[[gnu::always_inline]] inline __m128i multiply_shift(__m128i a, __m128i b, short first, short second, int offset) {
  const __m128i constants = _mm_set_epi16(second, first, second, first, second, first, second, first);
  const __m128i bias = _mm_set1_epi32(offset);
  const __m128i low = _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(a, b), constants), bias);
  const __m128i high = _mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(a, b), constants), bias);
  return _mm_packs_epi32(_mm_srai_epi32(low, 16), _mm_srai_epi32(high, 16));
}

// cb and cr: eight chroma samples in 16-bit lanes.
[[gnu::always_inline]] inline Terms chroma_terms(__m128i cb, __m128i cr) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i red = _mm_add_epi16(_mm_sub_epi16(cr, _mm_set1_epi16(178)), multiply_shift(cr, zero, 26346, 0, -16779));
  const __m128i blue = _mm_add_epi16(_mm_sub_epi16(_mm_add_epi16(cb, cb), _mm_set1_epi16(225)),
                                     multiply_shift(cb, zero, -14942, 0, -28207));
  const __m128i green =
      _mm_add_epi16(_mm_sub_epi16(_mm_set1_epi16(135), cr), multiply_shift(cr, cb, 18734, -22554, 28298));
  return {red, green, blue};
}

// Each term twice over: one chroma sample serves two adjacent pixels.
[[gnu::always_inline]] inline void replicate(const Terms& terms, Terms* twice) {
  twice[0] = {_mm_unpacklo_epi16(terms.red, terms.red), _mm_unpacklo_epi16(terms.green, terms.green),
              _mm_unpacklo_epi16(terms.blue, terms.blue)};
  twice[1] = {_mm_unpackhi_epi16(terms.red, terms.red), _mm_unpackhi_epi16(terms.green, terms.green),
              _mm_unpackhi_epi16(terms.blue, terms.blue)};
}

// The terms of 16 pixels (two groups of eight) from the chroma line at `x`
// pixels in.
[[gnu::always_inline]] inline void terms_of_16_pixels(const std::uint8_t* cb, const std::uint8_t* cr, int chroma_step, int x, Terms* terms) {
  const __m128i zero = _mm_setzero_si128();
  if (chroma_step == 1) {
    const __m128i cb_bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cb + x));
    const __m128i cr_bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cr + x));
    terms[0] = chroma_terms(_mm_unpacklo_epi8(cb_bytes, zero), _mm_unpacklo_epi8(cr_bytes, zero));
    terms[1] = chroma_terms(_mm_unpackhi_epi8(cb_bytes, zero), _mm_unpackhi_epi8(cr_bytes, zero));
    return;
  }
  const __m128i cb_bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(cb + x / 2));
  const __m128i cr_bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(cr + x / 2));
  replicate(chroma_terms(_mm_unpacklo_epi8(cb_bytes, zero), _mm_unpacklo_epi8(cr_bytes, zero)), terms);
}

// 16 pixels of one line: luma plus each term, clamped, stored as red,
// green, blue, 0.
[[gnu::always_inline]] inline void store_16_pixels(const std::uint8_t* luma, const Terms* terms, std::uint8_t* output) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i luma_bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(luma));
  const __m128i y_low = _mm_unpacklo_epi8(luma_bytes, zero);
  const __m128i y_high = _mm_unpackhi_epi8(luma_bytes, zero);
  const __m128i red = _mm_packus_epi16(_mm_add_epi16(y_low, terms[0].red), _mm_add_epi16(y_high, terms[1].red));
  const __m128i green = _mm_packus_epi16(_mm_add_epi16(y_low, terms[0].green), _mm_add_epi16(y_high, terms[1].green));
  const __m128i blue = _mm_packus_epi16(_mm_add_epi16(y_low, terms[0].blue), _mm_add_epi16(y_high, terms[1].blue));
  const __m128i red_green_low = _mm_unpacklo_epi8(red, green);
  const __m128i red_green_high = _mm_unpackhi_epi8(red, green);
  const __m128i blue_zero_low = _mm_unpacklo_epi8(blue, zero);
  const __m128i blue_zero_high = _mm_unpackhi_epi8(blue, zero);
  __m128i* out = reinterpret_cast<__m128i*>(output);
  _mm_storeu_si128(out, _mm_unpacklo_epi16(red_green_low, blue_zero_low));
  _mm_storeu_si128(out + 1, _mm_unpackhi_epi16(red_green_low, blue_zero_low));
  _mm_storeu_si128(out + 2, _mm_unpacklo_epi16(red_green_high, blue_zero_high));
  _mm_storeu_si128(out + 3, _mm_unpackhi_epi16(red_green_high, blue_zero_high));
}

}  // namespace

int jpeg_colour_convert_lines_sse2(const std::uint8_t* const* luma, int line_count, const std::uint8_t* cb,
                                   const std::uint8_t* cr, int chroma_step, int width, std::uint8_t* const* output) {
  int x = 0;
  for (; x + 16 <= width; x += 16) {
    Terms terms[2];
    terms_of_16_pixels(cb, cr, chroma_step, x, terms);
    for (int line = 0; line < line_count; ++line) store_16_pixels(luma[line] + x, terms, output[line] + 4 * x);
  }
  return x;
}

#endif  // __SSE2__
