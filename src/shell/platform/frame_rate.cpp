// Parsing of frame rates into exact ratios.
#include "shell/platform/frame_rate.h"

#include <numeric>

namespace {

// A run of decimal digits as a whole number; empty when `digits` is empty,
// holds another character or exceeds `limit`.
std::optional<std::int64_t> parse_whole(const std::string& digits, std::int64_t limit) {
  if (digits.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > limit) return std::nullopt;  // checked per digit, so no overflow
  }
  return value;
}

std::optional<FrameRate> make_rate(std::int64_t numerator, std::int64_t denominator) {
  if (numerator <= 0 || denominator <= 0) return std::nullopt;
  const std::int64_t divisor = std::gcd(numerator, denominator);
  FrameRate rate{numerator / divisor, denominator / divisor};
  if (rate.numerator > frame_rate_max_numerator || rate.denominator > frame_rate_max_denominator) {
    return std::nullopt;
  }
  return rate;
}

}  // namespace

std::optional<FrameRate> parse_frame_rate(const std::string& text) {
  // Terms beyond the limits may still reduce into them; this bound keeps the
  // decimal scaling below inside 64 bits.
  constexpr std::int64_t term_limit = 1000000000000;

  const std::size_t slash = text.find('/');
  if (slash != std::string::npos) {
    const auto numerator = parse_whole(text.substr(0, slash), term_limit);
    const auto denominator = parse_whole(text.substr(slash + 1), term_limit);
    if (!numerator || !denominator) return std::nullopt;
    return make_rate(*numerator, *denominator);
  }

  const std::size_t point = text.find('.');
  if (point == std::string::npos) {
    const auto whole = parse_whole(text, term_limit);
    return whole ? make_rate(*whole, 1) : std::nullopt;
  }
  const std::string whole_digits = text.substr(0, point);
  const std::string fraction_digits = text.substr(point + 1);
  if (fraction_digits.size() > 6 || (whole_digits.empty() && fraction_digits.empty())) return std::nullopt;
  const auto whole = whole_digits.empty() ? std::optional<std::int64_t>(0) : parse_whole(whole_digits, term_limit);
  const auto fraction =
      fraction_digits.empty() ? std::optional<std::int64_t>(0) : parse_whole(fraction_digits, term_limit);
  if (!whole || !fraction) return std::nullopt;
  std::int64_t scale = 1;
  for (std::size_t i = 0; i < fraction_digits.size(); ++i) scale *= 10;
  return make_rate(*whole * scale + *fraction, scale);
}
