// Full screen as a person sees it: the whole X screen read back while the
// console shows four flat quadrants, on a bare X server (nothing carries out
// a full-screen request there) and under a window manager, at two sizes.
// The picture must be whole and centred in the area the fit promises, with
// black bars beside it.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include "shell/platform/picture_fit.h"
#include "support/child_process.h"
#include "support/render_tool.h"
#include "support/scratch_directory.h"
#include "support/xvfb.h"

namespace {

constexpr unsigned quadrant_colours[4] = {0xFF2010, 0x10E040, 0x2040FF, 0xF0F0F0};  // as the probe shows them

ChildOptions on_display(const std::string& display, std::vector<std::string> arguments = {}) {
  ChildOptions options;
  options.arguments = std::move(arguments);
  options.environment = {{"DISPLAY", display}, {"SDL_VIDEODRIVER", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}};
  return options;
}

TEST(FullScreen, ThePictureIsWholeAndCentredAt43OnABareXServerAndUnderAWindowManager) {
  if (access("/usr/bin/openbox", X_OK) != 0) GTEST_SKIP() << "openbox is not installed";
  for (const bool window_manager : {false, true}) {
    for (const auto& [width, height] : {std::pair{1280, 720}, {800, 600}}) {
      const std::string name = std::string(window_manager ? "openbox" : "bare") + " " + std::to_string(width) + "x" +
                               std::to_string(height);
      XvfbServer server(width, height);
      ASSERT_TRUE(server.ok()) << server.reason();
      std::optional<ChildProcess> manager;
      if (window_manager) manager.emplace("/usr/bin/openbox", on_display(server.display()));
      std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the manager takes the screen
      ChildProcess probe(binary_path("quorvane_fullscreen_probe"), on_display(server.display()));
      for (int i = 0; i < 2000 && probe.running() && probe.err_so_far().find("shown") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the manager carries out the request
      ScratchDirectory scratch;
      const std::string grab = scratch.path() + "/screen.rgb";
      const ChildResult grabbed = run_child(
          "/usr/bin/ffmpeg",
          on_display(server.display(), {"-loglevel", "error", "-f", "x11grab", "-video_size",
                                        std::to_string(width) + "x" + std::to_string(height), "-i", server.display(),
                                        "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "rgb24", grab}),
          60);
      ASSERT_TRUE(grabbed.exited && grabbed.status == 0) << name << ": " << grabbed.describe();
      const std::string screen = read_file_bytes(grab);
      ASSERT_EQ(screen.size(), 3u * width * height) << name;
      const auto colour = [&](int x, int y) {
        const auto* rgb = reinterpret_cast<const unsigned char*>(screen.data()) + 3 * (y * width + x);
        return unsigned{rgb[0]} << 16 | unsigned{rgb[1]} << 8 | rgb[2];
      };
      // Every lit pixel inside the promised area, and its corners lit: the
      // picture fills it exactly; the quadrants' middles show their colours.
      const PictureFit fit = fit_picture(640, 480, width, height);
      int left = width, right = -1, top = height, bottom = -1;
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
          if (colour(x, y) == 0) continue;
          left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
        }
      }
      EXPECT_EQ(std::to_string(left) + "," + std::to_string(top) + " " + std::to_string(right - left + 1) + "x" +
                    std::to_string(bottom - top + 1),
                std::to_string(fit.x) + "," + std::to_string(fit.y) + " " + std::to_string(fit.width) + "x" +
                    std::to_string(fit.height))
          << name << ": where the picture is";
      for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(colour(fit.x + fit.width / 4 + k % 2 * fit.width / 2, fit.y + fit.height / 4 + k / 2 * fit.height / 2),
                  quadrant_colours[k])
            << name << ": quadrant " << k;
      }
      kill(probe.pid(), SIGTERM);
      const ChildResult ended = probe.wait(30);
      EXPECT_TRUE(ended.exited && ended.status == 0) << name << ": " << ended.describe();
    }
  }
}

}  // namespace
