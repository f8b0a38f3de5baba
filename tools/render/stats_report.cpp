// Formatting of per-scene frame statistics.
#include "stats_report.h"

#include <charconv>
#include <cinttypes>

namespace {

// The shortest text that reads back as the same double, always with a
// decimal point (60.0, 59.94005994005994).
std::string json_number(double value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof(text), value);
  std::string number(text, result.ptr);
  if (number.find_first_of(".e") == std::string::npos) number += ".0";
  return number;
}

std::string json_milliseconds(double value) {
  char text[64];
  std::snprintf(text, sizeof(text), "%.4f", value);
  return text;
}

void print_row(std::FILE* out, const char* name, const std::string& first, std::int64_t frames,
               const TimeSummary& times) {
  std::fprintf(out, "%-10s %8s %8" PRId64 " %9.3f %9.3f %9.3f %9.3f\n", name, first.c_str(), frames, times.mean_ms,
               times.median_ms, times.p99_ms, times.max_ms);
}

}  // namespace

void print_stats_table(std::FILE* out, const RunStats& stats) {
  std::fprintf(out, "%-10s %8s %8s %9s %9s %9s %9s\n", "scene", "first", "frames", "mean ms", "median", "p99",
               "max");
  std::vector<double> all_ms;
  for (const SceneStats& scene : stats.scenes) {
    print_row(out, scene.name.c_str(), std::to_string(scene.first_frame), scene.frames,
              summarize_times(scene.frame_ms));
    all_ms.insert(all_ms.end(), scene.frame_ms.begin(), scene.frame_ms.end());
  }
  print_row(out, "total", "", stats.total_frames, summarize_times(all_ms));
  if (stats.startup_ms >= 0.0) std::fprintf(out, "start-up to the first scene frame: %.0f ms\n", stats.startup_ms);
}

std::string stats_json(const FrameRate& rate, const RunStats& stats) {
  std::string json = "{\"fps\": " + json_number(rate.per_second()) + ", \"scenes\": [";
  for (std::size_t i = 0; i < stats.scenes.size(); ++i) {
    const SceneStats& scene = stats.scenes[i];
    const TimeSummary times = summarize_times(scene.frame_ms);
    if (i > 0) json += ", ";
    json += "{\"name\": \"" + scene.name + "\", \"first_frame\": " + std::to_string(scene.first_frame) +
            ", \"frames\": " + std::to_string(scene.frames) + ", \"mean_ms\": " + json_milliseconds(times.mean_ms) +
            ", \"p50_ms\": " + json_milliseconds(times.median_ms) + ", \"p99_ms\": " +
            json_milliseconds(times.p99_ms) + ", \"max_ms\": " + json_milliseconds(times.max_ms) + "}";
  }
  json += "], \"total_frames\": " + std::to_string(stats.total_frames) +
          ", \"startup_ms\": " + (stats.startup_ms < 0.0 ? std::string("null") : json_milliseconds(stats.startup_ms)) +
          "}\n";
  return json;
}
