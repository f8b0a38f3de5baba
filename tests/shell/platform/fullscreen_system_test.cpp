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
#include <utility>
#include <vector>

#include "shell/platform/picture_fit.h"
#include "support/render_tool.h"
#include "support/scratch_directory.h"
#include "support/xvfb.h"

namespace {

ChildOptions on_display(const std::string& display, std::vector<std::string> arguments = {}) {
  return {std::move(arguments), {{"DISPLAY", display}, {"SDL_VIDEODRIVER", {}}, {"WAYLAND_DISPLAY", {}}}, ""};
}

TEST(FullScreen, ThePictureIsWholeAndCentredAt43OnABareXServerAndUnderAWindowManager) {
  if (access("/usr/bin/openbox", X_OK) != 0) GTEST_SKIP() << "openbox is not installed";
  // The probe's quadrants, as red, green and blue bytes.
  const std::string quadrant_colours[4] = {"\xFF\x20\x10", "\x10\xE0\x40", "\x20\x40\xFF", "\xF0\xF0\xF0"};
  for (const bool window_manager : {false, true}) {
    for (const auto& [width, height] : {std::pair{1280, 720}, {800, 600}}) {
      const std::string size = std::to_string(width) + "x" + std::to_string(height);
      SCOPED_TRACE((window_manager ? "openbox " : "bare ") + size);
      XvfbServer server(width, height);
      ASSERT_TRUE(server.ok()) << server.reason();
      // Openbox runs its start-up command once it manages the screen; a
      // window opened before that may be adopted with a frame around it.
      std::optional<ChildProcess> manager;
      if (window_manager) {
        manager.emplace("/usr/bin/openbox", on_display(server.display(), {"--startup", "echo managing"}));
        for (int i = 0; i < 2000 && manager->running() && manager->out_so_far().empty(); ++i)
          std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_NE(manager->out_so_far(), "") << "openbox did not start";
      }
      ChildProcess probe(binary_path("quorvane_fullscreen_probe"), on_display(server.display()));
      for (int i = 0; i < 2000 && probe.running() && probe.err_so_far().empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      // The screen once the manager has carried out the request, which can
      // take a while on a busy machine: read for up to 10 s, until the lit
      // pixels have stood where the fit puts them on three reads running.
      const PictureFit fit = fit_picture(640, 480, width, height);
      const std::vector<int> expected{fit.x, fit.y, fit.width, fit.height};
      ScratchDirectory scratch;
      const std::string grab = scratch.path() + "/screen.rgb";
      std::string screen;
      std::vector<int> lit;  // x, y, width, height of the lit pixels
      for (int attempt = 0, settled = 0; attempt < 40 && settled < 3; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        const ChildResult grabbed = run_child(
            "/usr/bin/ffmpeg", on_display(server.display(), {"-loglevel", "error", "-f", "x11grab", "-video_size", size,
                                                             "-i", server.display(), "-frames:v", "1", "-f", "rawvideo",
                                                             "-pix_fmt", "rgb24", "-y", grab}), 60);
        ASSERT_TRUE(grabbed.exited && grabbed.status == 0) << grabbed.describe();
        screen = read_file_bytes(grab);
        ASSERT_EQ(screen.size(), 3u * width * height);
        int left = width, right = -1, top = height, bottom = -1;
        for (int i = 0; i < width * height; ++i) {
          if (screen.compare(3 * i, 3, std::string(3, '\0')) == 0) continue;
          left = std::min(left, i % width), right = std::max(right, i % width);
          top = std::min(top, i / width), bottom = std::max(bottom, i / width);
        }
        lit = {left, top, right + 1 - left, bottom + 1 - top};
        settled = lit == expected ? settled + 1 : 0;
      }
      EXPECT_EQ(lit, expected) << "the picture's x, y, width, height";
      for (int k = 0; k < 4; ++k) {
        const int x = fit.x + (1 + k % 2 * 2) * fit.width / 4, y = fit.y + (1 + k / 2 * 2) * fit.height / 4;
        EXPECT_EQ(screen.substr(3 * (y * width + x), 3), quadrant_colours[k]) << "quadrant " << k;
      }
      kill(probe.pid(), SIGTERM);
      const ChildResult ended = probe.wait(30);
      EXPECT_TRUE(ended.exited && ended.status == 0) << ended.describe();
    }
  }
}

}  // namespace
