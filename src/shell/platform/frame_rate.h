// Frame rates as exact ratios, and the time of frame n on a headless clock.
//
// A rate is frames / seconds = numerator / denominator (60, 60000/1001 for
// 59.94...). Frame n is presented at exactly n / rate seconds, computed from
// n itself, never by adding up steps, so no error builds up however long the
// run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct FrameRate {
  std::int64_t numerator = 60;
  std::int64_t denominator = 1;

  double per_second() const { return static_cast<double>(numerator) / static_cast<double>(denominator); }
  // n / rate: the double nearest the exact quotient, for every n whose
  // n x denominator stays below 2^53 (n up to 9 x 10^9 frames).
  double seconds_at(std::int64_t frame) const {
    return static_cast<double>(frame * denominator) / static_cast<double>(numerator);
  }
};

// Largest accepted terms: a denominator up to 10^6 keeps seconds_at exact.
constexpr std::int64_t frame_rate_max_numerator = 1000000000;
constexpr std::int64_t frame_rate_max_denominator = 1000000;

// Parses "60", "59.94" (up to six decimals) or "60000/1001"; the result is in
// lowest terms. Empty when the text is not a positive rate within the limits.
std::optional<FrameRate> parse_frame_rate(const std::string& text);
