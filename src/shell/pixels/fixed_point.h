// The 16.16 fixed-point convention of the renderers and scenes, stated once.
//
// A value v is held as the signed 32-bit integer v x 65,536: the top 16 bits
// are the whole part, the low 16 bits the fraction (64 bits where a table or
// grid needs the room). The 3D core's products and sums of such values are
// two's-complement 32-bit arithmetic: they wrap, as the hardware does, and
// the wrapping helpers here make that wrap defined behaviour. Conversions
// between whole numbers and 16.16 go through to_fixed and from_fixed.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>

constexpr int fixed_shift = 16;
constexpr std::int32_t fixed_one = 65536;  // 1.0 in 16.16

// A 32-bit pattern read back as the signed number it encodes.
constexpr std::int32_t wrap_to_int32(std::uint32_t bits) {
  return bits <= 0x7FFFFFFFu ? static_cast<std::int32_t>(bits)
                             : static_cast<std::int32_t>(bits - 0x80000000u) + std::numeric_limits<std::int32_t>::min();
}

// a x b and a + b with two's-complement wrap-around instead of overflow.
constexpr std::int32_t wrapping_mul(std::int32_t a, std::int32_t b) {
  return wrap_to_int32(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}
constexpr std::int32_t wrapping_add(std::int32_t a, std::int32_t b) {
  return wrap_to_int32(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

// Truncates towards zero to a 32-bit integer. Values beyond the int32 range
// saturate at its ends and NaN becomes 0, so a wild input stays defined.
inline std::int32_t double_to_int32(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

// A double as 16.16, truncated towards zero (and saturated, see above).
inline std::int32_t fixed_from_double(double value) { return double_to_int32(value * fixed_one); }

// v >> shift rounding towards minus infinity for negative v too, in
// arithmetic that the language defines for every sign: >> on a negative
// signed value is implementation-defined before C++20 (GCC and Clang shift
// arithmetically, and compile this to that same single shift).
template <typename Int>
constexpr Int shift_right(Int v, int shift) {
  static_assert(std::is_integral_v<Int> && std::is_signed_v<Int>, "a signed integer");
  return v >= 0 ? v >> shift : ~(~v >> shift);
}

// Whole pixels or units to 16.16, in the width of the argument (32 or 64
// bits; the caller picks one that holds the result). A multiply, not
// whole << 16: shifting a negative value left is undefined behaviour in C++17.
template <typename Int>
constexpr Int to_fixed(Int whole) {
  static_assert(std::is_integral_v<Int> && std::is_signed_v<Int>, "a signed integer");
  return whole * fixed_one;
}

// 16.16 to the whole number at or below it: the floor, for negatives too
// (-0.5 gives -1, not 0 as a division would).
template <typename Int>
constexpr Int from_fixed(Int fixed) {
  return shift_right(fixed, fixed_shift);
}
