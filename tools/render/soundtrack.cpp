// Rendering the captured stretch of the module.
#include "soundtrack.h"

#include <utility>
#include <vector>


std::int64_t capture_sample_at(std::int64_t frames_after_origin, const FrameRate& rate) {
  // k x 48000 x denominator overflows 64 bits for long runs at large
  // denominators; 128 bits hold it for any 64-bit k.
  const __int128 scaled = static_cast<__int128>(frames_after_origin) * capture_sample_rate * rate.denominator;
  return static_cast<std::int64_t>((scaled + rate.numerator / 2) / rate.numerator);  // nearest sample
}

Soundtrack render_soundtrack(std::int64_t frames_after_origin, std::int64_t frame_count, const FrameRate& rate) {
  const std::int64_t first = capture_sample_at(frames_after_origin, rate);
  const std::int64_t end = capture_sample_at(frames_after_origin + frame_count, rate);
  Soundtrack soundtrack;
  soundtrack.audio.rate = capture_sample_rate;
  // The module plays from its start: render up to the capture's end and keep its stretch.
  ModuleRender render = render_module_file(soundtrack_path, capture_sample_rate, static_cast<std::size_t>(end));
  if (!render.error.empty()) {
    soundtrack.warning = render.error;
    soundtrack.audio.samples.assign(static_cast<std::size_t>(2 * (end - first)), 0);
    return soundtrack;
  }
  std::vector<std::int16_t>& samples = render.audio.samples;
  samples.erase(samples.begin(), samples.begin() + 2 * first);
  soundtrack.audio.samples = std::move(samples);
  return soundtrack;
}
