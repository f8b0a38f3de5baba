// The committed soundtrack, data/trumbel.it, played by libopenmpt at its
// default settings: it loads without a complaint, its patterns fall on the
// scenes' 8-second blocks, it lasts the whole sequence and then ends, and its
// render has sound throughout and never reaches full scale.
#include <libopenmpt/libopenmpt.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr double block_seconds = 8.0;  // one 64-row pattern at speed 6, tempo 120
constexpr int sequence_blocks = 29;    // the six scenes: 4 + 5 + 5 + 5 + 4 + 6 blocks
constexpr double sequence_seconds = sequence_blocks * block_seconds;

std::vector<char> read_module_file() {
  std::ifstream file(QUORVANE_SOURCE_DIR "/data/trumbel.it", std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(file), {});
}

void collect_log_message(const char* message, void* user) {
  static_cast<std::vector<std::string>*>(user)->push_back(message);
}

struct ModuleDeleter {
  void operator()(openmpt_module* module) const { openmpt_module_destroy(module); }
};
using Module = std::unique_ptr<openmpt_module, ModuleDeleter>;

// Loads the module; every message libopenmpt logs on the way lands in log.
Module load_module(std::vector<std::string>& log) {
  const std::vector<char> bytes = read_module_file();
  int error = 0;
  const char* error_message = nullptr;
  Module module(openmpt_module_create_from_memory2(bytes.data(), bytes.size(), collect_log_message, &log,
                                                   nullptr, nullptr, &error, &error_message, nullptr));
  if (error_message != nullptr) {
    log.push_back(std::string("error: ") + error_message);
    openmpt_free_string(error_message);
  }
  return module;
}

std::string metadata(openmpt_module* module, const char* key) {
  const char* value = openmpt_module_get_metadata(module, key);
  std::string text = value != nullptr ? value : "";
  openmpt_free_string(value);
  return text;
}

// What an offline render of the whole song measured.
struct RenderSummary {
  double seconds = 0.0;
  float peak = 0.0f;                // largest |sample| in either channel, 1.0 = full scale
  std::vector<double> block_rms;    // RMS over both channels, per 8-second block
  std::vector<double> second_rms;   // the same per second, to find short gaps
};

double to_dbfs(double level) { return 20.0 * std::log10(std::max(level, 1e-12)); }

// Renders until the module ends, as the demo's player would with libopenmpt
// left at its defaults (no repeat, default gain, stereo separation and
// interpolation).
RenderSummary render_whole_song(openmpt_module* module, int rate) {
  constexpr std::size_t chunk = 4096;
  std::vector<float> left(chunk), right(chunk);
  std::vector<double> block_energy, second_energy;
  long long frames = 0;
  RenderSummary summary;
  // The bound only stops a looping module from running forever.
  const long long frame_limit = static_cast<long long>(rate) * static_cast<long long>(sequence_seconds * 2);
  while (frames < frame_limit) {
    const std::size_t count = openmpt_module_read_float_stereo(module, rate, chunk, left.data(), right.data());
    if (count == 0) break;
    for (std::size_t i = 0; i < count; ++i) {
      const long long frame = frames + static_cast<long long>(i);
      const std::size_t block = static_cast<std::size_t>(frame / (static_cast<long long>(rate) * 8));
      const std::size_t second = static_cast<std::size_t>(frame / rate);
      if (block >= block_energy.size()) block_energy.resize(block + 1, 0.0);
      if (second >= second_energy.size()) second_energy.resize(second + 1, 0.0);
      const double energy = double(left[i]) * left[i] + double(right[i]) * right[i];
      block_energy[block] += energy;
      second_energy[second] += energy;
      summary.peak = std::max({summary.peak, std::fabs(left[i]), std::fabs(right[i])});
    }
    frames += static_cast<long long>(count);
  }
  summary.seconds = double(frames) / rate;
  for (double e : block_energy) summary.block_rms.push_back(std::sqrt(e / (2.0 * rate * block_seconds)));
  for (double e : second_energy) summary.second_rms.push_back(std::sqrt(e / (2.0 * rate)));
  return summary;
}

TEST(TrumbelModule, LoadsAsImpulseTrackerWithNothingInTheLog) {
  std::vector<std::string> log;
  Module module = load_module(log);
  ASSERT_NE(module, nullptr) << "data/trumbel.it does not load";
  for (const std::string& message : log) ADD_FAILURE() << "libopenmpt logged: " << message;
  EXPECT_EQ(metadata(module.get(), "type"), "it");
  EXPECT_EQ(metadata(module.get(), "warnings"), "");
  EXPECT_EQ(openmpt_module_get_current_speed(module.get()), 6);
  EXPECT_EQ(openmpt_module_get_current_tempo(module.get()), 120);
}

TEST(TrumbelModule, EveryOrderStartsOnAnEightSecondBlockAndTheSongOutlastsTheScenes) {
  // The scenes start at orders 0, 4, 9, 14, 19 and 23; order 29 is the tail after greets.
  std::vector<std::string> log;
  Module module = load_module(log);
  ASSERT_NE(module, nullptr);
  ASSERT_EQ(openmpt_module_get_num_orders(module.get()), sequence_blocks + 1) << "the scene blocks and the tail";
  for (int order = 0; order <= sequence_blocks; ++order) {
    const double got = openmpt_module_set_position_order_row(module.get(), order, 0);
    EXPECT_NEAR(got, order * block_seconds, 1e-6) << "order " << order;
  }
  const double duration = openmpt_module_get_duration_seconds(module.get());
  EXPECT_GE(duration, sequence_seconds + 2.0) << "the music must outlast the scenes";
  EXPECT_LE(duration, sequence_seconds + 10.0) << "a few seconds of ending, not more";
}

TEST(TrumbelModule, RenderEndsWithTheSongHasSoundThroughoutAndNeverClips) {
  // Quieter than this for a whole block, or for any second, is a dead gap:
  // the quietest passage (the first seconds of the intro) sits near -30 dBFS.
  constexpr double block_floor_dbfs = -45.0;
  constexpr double second_floor_dbfs = -60.0;
  for (int rate : {44100, 48000}) {
    std::vector<std::string> log;
    Module module = load_module(log);
    ASSERT_NE(module, nullptr);
    const double duration = openmpt_module_get_duration_seconds(module.get());
    const RenderSummary render = render_whole_song(module.get(), rate);
    EXPECT_NEAR(render.seconds, duration, 0.5) << rate << " Hz: the render should stop where the song ends";
    EXPECT_LT(render.peak, 1.0f) << rate << " Hz: peak " << to_dbfs(render.peak) << " dBFS reaches full scale";
    ASSERT_GE(render.second_rms.size(), std::size_t(sequence_seconds)) << rate << " Hz: the render ends early";
    for (int block = 0; block < sequence_blocks; ++block) {
      EXPECT_GT(to_dbfs(render.block_rms[block]), block_floor_dbfs)
          << rate << " Hz, block " << block << " (" << block * block_seconds << " s): RMS "
          << to_dbfs(render.block_rms[block]) << " dBFS";
    }
    for (int second = 0; second < static_cast<int>(sequence_seconds); ++second) {
      EXPECT_GT(to_dbfs(render.second_rms[second]), second_floor_dbfs)
          << rate << " Hz, second " << second << ": RMS " << to_dbfs(render.second_rms[second]) << " dBFS";
    }
  }
}

}  // namespace
