// quorvane-render's captures from the outside: an MP4 file as ffprobe and
// ffmpeg see it, pictures and sound; the soundtrack's WAV file sample by
// sample; Ctrl+C in the middle of a capture. Runs stay short: 10 frames a
// second and keys that cut the scenes.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <numeric>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "shell/audio/module_render.h"
#include "support/render_tool.h"
#include "support/scratch_directory.h"

namespace {

namespace fs = std::filesystem;

using Stream = std::map<std::string, std::string>;

constexpr int sample_rate = 48000;

// What an FFmpeg program on PATH, as the renderer finds it, writes to standard output.
std::string ffmpeg_output(const std::string& name, std::vector<std::string> arguments) {
  ChildOptions options;
  options.arguments = std::move(arguments);
  options.arguments.insert(options.arguments.begin(), name);
  return run_child("/usr/bin/env", options, 120).out;
}

#define SKIP_WITHOUT_FFMPEG()                                                                                   \
  if (ffmpeg_output("ffmpeg", {"-version"}).empty() || ffmpeg_output("ffprobe", {"-version"}).empty()) {   \
    GTEST_SKIP() << "ffmpeg and ffprobe are not installed (Debian: apt-get install ffmpeg)";                   \
  }

// ffprobe's view of the first stream of each type ("video", "audio").
std::map<std::string, Stream> probe_streams(const fs::path& file) {
  std::istringstream lines(ffmpeg_output(
      "ffprobe", {"-v", "error", "-show_entries",
                  "stream=codec_type,codec_name,width,height,nb_frames,duration,r_frame_rate,sample_rate,channels",
                  "-of", "default", file.string()}));
  std::map<std::string, Stream> by_type;
  Stream stream;
  for (std::string line; std::getline(lines, line);) {
    const std::size_t equals = line.find('=');
    if (equals != std::string::npos) stream[line.substr(0, equals)] = line.substr(equals + 1);
    if (line == "[/STREAM]") by_type.emplace(stream["codec_type"], stream);
    if (line == "[/STREAM]") stream.clear();
  }
  return by_type;
}

// How far a 4:2:0 BT.601 (limited range) picture of even size is from RGB
// bytes: mean absolute differences of luma per pixel, and of each chroma
// plane against the RGB picture's chroma averaged over 2 x 2 blocks.
struct YuvDistance {
  double luma = 0.0, blue = 0.0, red = 0.0;
};

YuvDistance yuv_distance(const std::string& yuv, const std::string& rgb, int width, int height) {
  const auto at = [](const std::string& data, std::size_t i) -> double { return static_cast<unsigned char>(data[i]); };
  const std::size_t luma_size = static_cast<std::size_t>(width) * height;
  YuvDistance sum;
  for (int y = 0; y < height; y += 2) {
    for (int x = 0; x < width; x += 2) {
      double r = 0, g = 0, b = 0;  // the block's means
      for (int i = 0; i < 4; ++i) {
        const std::size_t pixel = static_cast<std::size_t>(y + i / 2) * width + x + i % 2;
        const double red = at(rgb, 3 * pixel), green = at(rgb, 3 * pixel + 1), blue = at(rgb, 3 * pixel + 2);
        sum.luma += std::abs(16 + (65.481 * red + 128.553 * green + 24.966 * blue) / 255 - at(yuv, pixel));
        r += red / 4, g += green / 4, b += blue / 4;
      }
      const std::size_t block = luma_size + static_cast<std::size_t>(y / 2) * (width / 2) + x / 2;
      sum.blue += std::abs(128 + (-37.797 * r - 74.203 * g + 112 * b) / 255 - at(yuv, block));
      sum.red += std::abs(128 + (112 * r - 93.786 * g - 18.214 * b) / 255 - at(yuv, block + luma_size / 4));
    }
  }
  return {sum.luma / luma_size, sum.blue * 4 / luma_size, sum.red * 4 / luma_size};
}

// Little-endian 16-bit samples from `bytes`, starting at `offset`.
std::vector<std::int16_t> samples_of(const std::string& bytes, std::size_t offset = 0) {
  std::vector<std::int16_t> samples(bytes.size() > offset ? (bytes.size() - offset) / 2 : 0);
  if (!samples.empty()) std::memcpy(samples.data(), bytes.data() + offset, samples.size() * 2);
  return samples;
}

TEST(RenderCapture, OneSceneMakesAnMp4WithItsFramesSizeDurationAndSound) {
  SKIP_WITHOUT_FFMPEG();
  ScratchDirectory scratch;
  const fs::path folder = scratch.path();
  const fs::path video = folder / "raycast.mp4";
  // The key before frame 40 ends the raycast scene: frames 1 to 39.
  const ChildResult result = render({"--fps", "10", "--keys", "40", "--scene", "raycast", "--video", video.string(),
                                     "--frames", (folder / "png").string(), "--at", "39"});
  ASSERT_TRUE(result.exited && result.status == 0) << result.describe();
  EXPECT_NE(result.out.find("video: frames 1 to 39 (39 frames, 3.900 s)"), std::string::npos) << result.out;
  EXPECT_EQ(files_in(folder), (std::set<std::string>{"raycast.mp4", "png"})) << "files left behind";

  std::map<std::string, Stream> streams = probe_streams(video);
  const Stream expected_video = {{"codec_name", "h264"}, {"width", "640"}, {"height", "480"},
                                 {"nb_frames", "39"},    {"r_frame_rate", "10/1"}};
  for (const auto& [key, value] : expected_video) EXPECT_EQ(streams["video"][key], value) << "video " << key;
  const Stream expected_audio = {{"codec_name", "aac"}, {"sample_rate", "48000"}, {"channels", "2"}};
  for (const auto& [key, value] : expected_audio) EXPECT_EQ(streams["audio"][key], value) << "audio " << key;
  // Within half a frame: FFmpeg versions round the container's timestamps differently.
  EXPECT_NEAR(std::atof(streams["video"]["duration"].c_str()), 3.9, 0.05) << "the pictures' length";
  EXPECT_NEAR(std::atof(streams["audio"]["duration"].c_str()), 3.9, 0.03) << "sound and pictures differ in length";

  const std::vector<std::int16_t> sound = samples_of(ffmpeg_output(
      "ffmpeg",
      {"-v", "error", "-i", video.string(), "-map", "0:a:0", "-f", "s16le", "-ac", "2", "-ar", "48000", "-"}));
  EXPECT_NEAR(static_cast<double>(sound.size()), 2.0 * 3.9 * sample_rate, 2.0 * 1024) << "decoded sound length";
  const double energy = std::inner_product(sound.begin(), sound.end(), sound.begin(), 0.0);
  EXPECT_GT(std::sqrt(energy / static_cast<double>(sound.size() + 1)), 300.0) << "the sound is silent";

  // The last frame as coded and as the PNG holds it: near in luma and in
  // chroma, as BT.601 converts, and far from the PNG with red and blue swapped.
  const std::string frames = ffmpeg_output(
      "ffmpeg", {"-v", "error", "-i", video.string(), "-map", "0:v:0", "-f", "rawvideo", "-pix_fmt", "yuv420p", "-"});
  const std::size_t frame_bytes = 640 * 480 * 3 / 2;
  ASSERT_EQ(frames.size(), 39 * frame_bytes);
  const std::string png = read_png(folder / "png" / "000039.png").bytes;
  ASSERT_EQ(png.size(), 640u * 480 * 3);
  std::string swapped = png;
  for (std::size_t i = 0; i + 2 < swapped.size(); i += 3) std::swap(swapped[i], swapped[i + 2]);
  const std::string last = frames.substr(38 * frame_bytes);
  const YuvDistance near = yuv_distance(last, png, 640, 480);  // x264 at --crf 18 on fine scan lines: within 3 and 12
  ASSERT_GT(yuv_distance(last, swapped, 640, 480).luma, 3.0) << "the frame has too little colour to tell";
  EXPECT_TRUE(near.luma < 3.0 && near.blue < 12.0 && near.red < 12.0)
      << "luma, blue, red: " << near.luma << ", " << near.blue << ", " << near.red;
}

TEST(RenderCapture, WavHoldsExactlyTheCapturedFramesStretchOfTheModule) {
  // The music starts with the first scene: frame 1, after the loading
  // picture, plays with the module's first sample.
  const struct {
    const char* fps;
    std::string keys;
    const char *scene, *frames;            // frames: the scene's first frame and count, as the statistics give them
    std::size_t first_sample, end_sample;  // of the module, for those frames
  } cases[] = {
      // Raycast's frames 1 to 24 at 800.8 samples a frame: 24 x 800.8 = 19219.2.
      {"60000/1001", "25", "raycast", "\"first_frame\": 1, \"frames\": 24,", 0, 19219},
      // Lattice's frames 30 to 79, 29 to 79 frames after frame 1, at 4800 samples a frame.
      {"10", "30,60," + keys_at(80, 64), "lattice", "\"first_frame\": 30, \"frames\": 50,", 29 * 4800, 79 * 4800},
  };
  const ModuleRender module =
      render_module_file(std::string(QUORVANE_BINARY_DIR) + "/data/trumbel.it", sample_rate, 79 * 4800);
  ASSERT_EQ(module.error, "");
  for (const auto& c : cases) {
    const std::string what = std::string(c.scene) + " at " + c.fps + " fps";
    ScratchDirectory scratch;
    const fs::path wav = fs::path(scratch.path()) / "sound.wav", json = fs::path(scratch.path()) / "stats.json";
    const ChildResult result = render({"--fps", c.fps, "--keys", c.keys, "--scene", c.scene, "--wav", wav.string(),
                                       "--stats-json", json.string()});
    ASSERT_TRUE(result.exited && result.status == 0) << result.describe();
    const std::string stats = read_file_bytes(json);
    EXPECT_NE(stats.find("{\"name\": \"" + std::string(c.scene) + "\", " + c.frames), std::string::npos) << stats;

    // After the 44-byte header (write_wav's own test), the samples.
    const std::vector<std::int16_t> got = samples_of(read_file_bytes(wav), 44);
    const std::vector<std::int16_t> expected(module.audio.samples.begin() + 2 * c.first_sample,
                                             module.audio.samples.begin() + 2 * c.end_sample);
    ASSERT_EQ(got.size(), expected.size()) << what;
    EXPECT_TRUE(got == expected) << what << ": not the module's samples " << c.first_sample << " to " << c.end_sample;
  }
}

TEST(RenderCapture, CtrlCEndsTheCaptureWithAPlayableFileOfWhatWasCaptured) {
  SKIP_WITHOUT_FFMPEG();
  ScratchDirectory scratch;
  const fs::path video = fs::path(scratch.path()) / "cut.mp4";
  ChildProcess child(binary_path("quorvane-render"), render_options({"--fps", "10", "--video", video.string()}));
  // Plain progress lines ("frame N of about M") come every few seconds: the
  // second one says frames have been captured.
  const auto progress = [&] {
    const std::string err = child.err_so_far();
    const std::size_t at = err.rfind("frame ");
    return at == std::string::npos ? 0 : std::atol(err.c_str() + at + 6);
  };
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  while (progress() < 2 && child.running() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(child.running()) << "the capture ended before it could be interrupted";
  kill(child.pid(), SIGINT);
  const ChildResult result = child.wait(render_timeout_seconds);

  ASSERT_TRUE(result.exited) << result.describe();
  EXPECT_EQ(result.status, 128 + SIGINT) << result.describe();
  EXPECT_NE(result.err.find("interrupted by Ctrl+C"), std::string::npos) << result.err;
  const std::size_t at = result.out.find("video: frames 1 to ");
  ASSERT_NE(at, std::string::npos) << result.out;
  const long last = std::atol(result.out.c_str() + at + std::strlen("video: frames 1 to "));
  EXPECT_GT(last, 1) << result.out;
  EXPECT_EQ(files_in(scratch.path()), std::set<std::string>{"cut.mp4"}) << "files left behind";

  std::map<std::string, Stream> streams = probe_streams(video);
  EXPECT_EQ(streams["video"]["nb_frames"], std::to_string(last));
  EXPECT_NEAR(std::atof(streams["audio"]["duration"].c_str()), last / 10.0, 0.03) << "the sound is not cut with them";
}

}  // namespace
