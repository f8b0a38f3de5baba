// The committed soundtrack as libopenmpt plays it (generate.py --check shows only that it is what the composer
// script writes): it loads silently, each order starts on one of the scenes' 8-second blocks, the song outlasts
// the scenes a little, and it has sound throughout and never reaches full scale.
#include <libopenmpt/libopenmpt.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "shell/audio/module_file.h"
#include "shell/audio/module_render.h"

TEST(TrumbelModule, OrdersFallOnTheScenesBlocksAndTheSongSoundsThroughoutWithoutReachingFullScale) {
  constexpr int block_seconds = 8;  // one 64-row pattern at speed 6, tempo 120
  constexpr int blocks = 25;        // the six scenes: 1 + 5 + 5 + 5 + 4 + 5 blocks
  constexpr int rate = 48000;       // the player's
  constexpr const char* path = QUORVANE_SOURCE_DIR "/data/trumbel.it";
  ModuleLog log;
  const LoadedModule loaded = load_module_file(path, 0, 0, log);
  ASSERT_NE(loaded.module, nullptr) << "data/trumbel.it does not load";
  for (const std::string& message : log.messages) ADD_FAILURE() << "libopenmpt logged: " << message;
  openmpt_module* module = loaded.module.get();
  ASSERT_EQ(openmpt_module_get_num_orders(module), blocks + 1) << "the scene blocks and the tail";
  for (int order = 0; order <= blocks; ++order) {
    EXPECT_NEAR(openmpt_module_set_position_order_row(module, order, 0), order * block_seconds, 1e-6) << order;
  }
  const double tail = openmpt_module_get_duration_seconds(module) - blocks * block_seconds;
  EXPECT_TRUE(tail >= 2 && tail <= 10) << tail << " s past the scenes";
  // A dead gap: under -45 dBFS for a block, or -60 for a second (the intro starts near -30).
  const ModuleRender render = render_module_file(path, rate, std::size_t{blocks * block_seconds * rate});
  ASSERT_EQ(render.error, "");
  const std::vector<std::int16_t>& samples = render.audio.samples;  // left, right
  const auto dbfs = [&](int from, int seconds) {
    const auto first = samples.begin() + 2 * rate * from, last = first + 2 * rate * seconds;
    const double mean_square = std::inner_product(first, last, first, 0.0) / (2.0 * rate * seconds * 32768 * 32768);
    return 10.0 * std::log10(std::max(mean_square, 1e-24));
  };
  for (int block = 0; block < blocks; ++block) EXPECT_GT(dbfs(block * block_seconds, block_seconds), -45.0) << block;
  for (int second = 0; second < blocks * block_seconds; ++second) EXPECT_GT(dbfs(second, 1), -60.0) << second << " s";
  const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
  EXPECT_TRUE(*low > -32767 && *high < 32767) << "the render reaches full scale: " << *low << " to " << *high;
}
