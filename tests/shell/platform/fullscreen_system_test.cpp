// Full screen as a person sees it: the whole X screen read back with FFmpeg
// while the probe program shows four flat quadrants full screen, on a bare X
// server (nothing carries out a full-screen request there) and under a
// window manager, at two sizes. The picture must fill exactly the area the
// fit promises, centred, with black bars beside it.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include "shell/platform/picture_fit.h"
#include "support/render_tool.h"
#include "support/scratch_directory.h"
#include "support/xvfb.h"

namespace {

ChildOptions on_display(const std::string& display, std::vector<std::string> arguments = {}) {
  const std::optional<std::string> none;
  return {std::move(arguments), {{"DISPLAY", display}, {"SDL_VIDEODRIVER", none}, {"WAYLAND_DISPLAY", none}}, ""};
}

TEST(FullScreen, ThePictureIsWholeAndCentredAt43OnABareXServerAndUnderAWindowManager) {
  if (access("/usr/bin/openbox", X_OK) != 0) GTEST_SKIP() << "openbox is not installed";
  constexpr unsigned quadrant_colours[4] = {0xFF2010, 0x10E040, 0x2040FF, 0xF0F0F0};  // as the probe shows them
  for (const bool window_manager : {false, true}) {
    for (const auto& [width, height] : {std::pair{1280, 720}, {800, 600}}) {
      const std::string size = std::to_string(width) + "x" + std::to_string(height);
      SCOPED_TRACE((window_manager ? "openbox " : "bare ") + size);
      XvfbServer server(width, height);
      ASSERT_TRUE(server.ok()) << server.reason();
      std::optional<ChildProcess> manager;
      if (window_manager) manager.emplace("/usr/bin/openbox", on_display(server.display()));
      std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the manager takes the screen
      ChildProcess probe(binary_path("quorvane_fullscreen_probe"), on_display(server.display()));
      for (int i = 0; i < 2000 && probe.running() && probe.err_so_far().empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the manager carries out the request
      ScratchDirectory scratch;
      const std::string grab = scratch.path() + "/screen.rgb";
      const ChildResult grabbed = run_child(
          "/usr/bin/ffmpeg", on_display(server.display(), {"-loglevel", "error", "-f", "x11grab", "-video_size", size,
                                                           "-i", server.display(), "-frames:v", "1", "-f", "rawvideo",
                                                           "-pix_fmt", "rgb24", grab}), 60);
      ASSERT_TRUE(grabbed.exited && grabbed.status == 0) << grabbed.describe();
      const std::string screen = read_file_bytes(grab);
      ASSERT_EQ(screen.size(), 3u * width * height);
      const auto colour = [&](int x, int y) {
        const auto* rgb = reinterpret_cast<const unsigned char*>(screen.data()) + 3 * (y * width + x);
        return unsigned{rgb[0]} << 16 | unsigned{rgb[1]} << 8 | rgb[2];
      };
      int left = width, right = -1, top = height, bottom = -1;  // of the lit pixels
      for (int i = 0; i < width * height; ++i) {
        if (colour(i % width, i / width) == 0) continue;
        left = std::min(left, i % width), right = std::max(right, i % width);
        top = std::min(top, i / width), bottom = std::max(bottom, i / width);
      }
      const PictureFit fit = fit_picture(640, 480, width, height);
      EXPECT_EQ((std::vector<int>{left, top, right + 1 - left, bottom + 1 - top}),
                (std::vector<int>{fit.x, fit.y, fit.width, fit.height})) << "where the picture is: x, y, width, height";
      for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(colour(fit.x + (1 + k % 2 * 2) * fit.width / 4, fit.y + (1 + k / 2 * 2) * fit.height / 4),
                  quadrant_colours[k]) << "quadrant " << k;
      }
      kill(probe.pid(), SIGTERM);
      const ChildResult ended = probe.wait(30);
      EXPECT_TRUE(ended.exited && ended.status == 0) << ended.describe();
    }
  }
}

}  // namespace
