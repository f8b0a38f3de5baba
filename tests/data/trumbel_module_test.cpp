// The committed soundtrack as libopenmpt plays it (generate.py --check shows
// only that it is what the composer script writes): it loads silently, each
// order starts on one of the scenes' 8-second blocks, the song outlasts the
// scenes a little, and it has sound throughout and never reaches full scale.
#include <libopenmpt/libopenmpt.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "shell/audio/module_file.h"
#include "shell/audio/module_render.h"

TEST(TrumbelModule, OrdersFallOnTheScenesBlocksAndTheSongSoundsThroughoutWithoutReachingFullScale) {
  constexpr double block_seconds = 8.0;  // one 64-row pattern at speed 6, tempo 120
  constexpr int blocks = 26;             // the six scenes: 2 + 5 + 5 + 5 + 4 + 5 blocks
  constexpr double scenes_seconds = blocks * block_seconds;
  constexpr const char* path = QUORVANE_SOURCE_DIR "/data/trumbel.it";
  ModuleLog log;
  const LoadedModule loaded = load_module_file(path, 0, 0, log);
  ASSERT_NE(loaded.module, nullptr) << "data/trumbel.it does not load";
  for (const std::string& message : log.messages) ADD_FAILURE() << "libopenmpt logged: " << message;
  openmpt_module* module = loaded.module.get();
  ASSERT_EQ(openmpt_module_get_num_orders(module), blocks + 1) << "the scene blocks and the tail";
  for (int order = 0; order <= blocks; ++order) {
    EXPECT_NEAR(openmpt_module_set_position_order_row(module, order, 0), order * block_seconds, 1e-6) << "order " << order;
  }
  const double duration = openmpt_module_get_duration_seconds(module);
  EXPECT_TRUE(duration >= scenes_seconds + 2 && duration <= scenes_seconds + 10) << duration << " s";

  // A dead gap: under -45 dBFS for a block, or -60 for a second (the intro starts near -30).
  constexpr int rate = 48000;  // the player's
  const ModuleRender render = render_module_file(path, rate, static_cast<std::size_t>(rate * scenes_seconds));
  ASSERT_EQ(render.error, "");
  const auto rms_dbfs = [&](double from, double seconds) {
    double energy = 0.0;
    for (auto i = std::size_t(2 * from * rate); i < std::size_t(2 * (from + seconds) * rate); ++i) {
      energy += double(render.audio.samples[i]) * render.audio.samples[i];
    }
    return 20.0 * std::log10(std::max(std::sqrt(energy / (2 * seconds * rate)) / 32768.0, 1e-12));
  };
  for (int block = 0; block < blocks; ++block) EXPECT_GT(rms_dbfs(block * block_seconds, block_seconds), -45.0) << block;
  for (int second = 0; second < scenes_seconds; ++second) EXPECT_GT(rms_dbfs(second, 1.0), -60.0) << "second " << second;
  int peak = 0;
  for (const std::int16_t sample : render.audio.samples) peak = std::max(peak, std::abs(int{sample}));
  EXPECT_LT(peak, 32767) << "the render reaches full scale";
}
