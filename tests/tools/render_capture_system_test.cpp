// quorvane-render's captures from the outside: video files as ffprobe and
// ffmpeg see them, the soundtrack's WAV file sample by sample, one scene's
// frames against the whole run's, enlarged frames, a missing or failing
// ffmpeg, and Ctrl+C in the middle of a capture. Runs stay short: 10 frames
// a second and keys that cut the scenes.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "shell/audio/module_render.h"
#include "support/render_tool.h"

namespace {

namespace fs = std::filesystem;

using Stream = std::map<std::string, std::string>;

constexpr int sample_rate = 48000;
constexpr double ffmpeg_timeout_seconds = 120;

// A program on PATH, as the renderer would find it; empty when absent.
std::string find_on_path(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::istringstream folders(path != nullptr ? path : "");
  for (std::string folder; std::getline(folders, folder, ':');) {
    const fs::path candidate = fs::path(folder) / name;
    if (!folder.empty() && access(candidate.c_str(), X_OK) == 0) return candidate.string();
  }
  return {};
}

#define SKIP_WITHOUT_FFMPEG()                                                                \
  if (find_on_path("ffmpeg").empty() || find_on_path("ffprobe").empty()) {                   \
    GTEST_SKIP() << "ffmpeg and ffprobe are not installed (Debian: apt-get install ffmpeg)"; \
  }

ChildResult run_program(const std::string& name, std::vector<std::string> arguments) {
  ChildOptions options;
  options.arguments = std::move(arguments);
  return run_child(find_on_path(name), options, ffmpeg_timeout_seconds);
}

// ffprobe's view of the first stream of each type ("video", "audio") in
// `file`, by its field names.
std::map<std::string, Stream> probe_streams(const fs::path& file) {
  const ChildResult result = run_program(
      "ffprobe", {"-v", "error", "-show_entries",
                  "stream=codec_type,codec_name,width,height,nb_frames,duration,r_frame_rate,sample_rate,channels",
                  "-of", "default", file.string()});
  std::vector<Stream> streams;
  std::istringstream lines(result.out);
  for (std::string line; std::getline(lines, line);) {
    if (line == "[STREAM]") streams.emplace_back();
    const std::size_t equals = line.find('=');
    if (!streams.empty() && equals != std::string::npos)
      streams.back()[line.substr(0, equals)] = line.substr(equals + 1);
  }
  std::map<std::string, Stream> by_type;
  for (const Stream& stream : streams)
    by_type.emplace(stream.count("codec_type") ? stream.at("codec_type") : "", stream);
  return by_type;
}

// Checks each expected field of a probed stream.
void expect_fields(const Stream& stream, const Stream& expected, const std::string& what) {
  for (const auto& [key, value] : expected) {
    EXPECT_EQ(stream.count(key) != 0 ? stream.at(key) : "(absent)", value) << what << " " << key;
  }
}

// Every frame of the file's video in `pixel_format` (rgb24, yuv420p), as ffmpeg decodes them.
std::string decode_video(const fs::path& file, const char* pixel_format) {
  return run_program("ffmpeg", {"-v", "error", "-i", file.string(), "-map", "0:v:0", "-f", "rawvideo", "-pix_fmt",
                                pixel_format, "-"})
      .out;
}

// The file's sound as 48 kHz 16-bit stereo, as ffmpeg decodes it.
std::vector<std::int16_t> decode_audio(const fs::path& file) {
  const std::string bytes = run_program("ffmpeg", {"-v", "error", "-i", file.string(), "-map", "0:a:0", "-f", "s16le",
                                                   "-ac", "2", "-ar", std::to_string(sample_rate), "-"})
                                .out;
  std::vector<std::int16_t> samples(bytes.size() / 2);
  std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
  return samples;
}

double root_mean_square(const std::vector<std::int16_t>& samples) {
  double sum = 0.0;
  for (std::int16_t sample : samples) sum += static_cast<double>(sample) * sample;
  return samples.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(samples.size()));
}

// How far a 4:2:0 BT.601 (limited range) picture of even size is from RGB
// bytes: mean absolute differences of luma per pixel, and of each chroma
// plane against the RGB picture's chroma averaged over 2 x 2 blocks.
struct YuvDistance {
  double luma = 0.0, blue = 0.0, red = 0.0;
};

YuvDistance yuv_distance(const std::string& yuv, const std::string& rgb, int width, int height) {
  const auto at = [](const std::string& bytes, std::size_t i) {
    return static_cast<double>(static_cast<unsigned char>(bytes[i]));
  };
  const std::size_t luma_size = static_cast<std::size_t>(width) * height;
  const std::size_t chroma_size = luma_size / 4;
  YuvDistance sum;
  for (int y = 0; y < height; y += 2) {
    for (int x = 0; x < width; x += 2) {
      double r = 0, g = 0, b = 0;  // the block's means
      for (int i = 0; i < 4; ++i) {
        const std::size_t pixel = static_cast<std::size_t>(y + i / 2) * width + x + i % 2;
        const double red = at(rgb, 3 * pixel), green = at(rgb, 3 * pixel + 1), blue = at(rgb, 3 * pixel + 2);
        sum.luma += std::abs(16 + (65.481 * red + 128.553 * green + 24.966 * blue) / 255 - at(yuv, pixel));
        r += red / 4;
        g += green / 4;
        b += blue / 4;
      }
      const std::size_t block = luma_size + static_cast<std::size_t>(y / 2) * (width / 2) + x / 2;
      sum.blue += std::abs(128 + (-37.797 * r - 74.203 * g + 112 * b) / 255 - at(yuv, block));
      sum.red += std::abs(128 + (112 * r - 93.786 * g - 18.214 * b) / 255 - at(yuv, block + chroma_size));
    }
  }
  const double pixels = static_cast<double>(luma_size);
  return {sum.luma / pixels, sum.blue * 4 / pixels, sum.red * 4 / pixels};
}

std::string swap_red_and_blue(std::string rgb) {
  for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) std::swap(rgb[i], rgb[i + 2]);
  return rgb;
}

struct WavFile {
  int rate = 0;
  int channels = 0;
  int bits = 0;
  std::vector<std::int16_t> samples;
};

// A 44-byte-header PCM WAV file as the renderer writes it.
WavFile read_wav(const fs::path& path) {
  const std::string bytes = read_file_bytes(path);
  WavFile wav;
  if (bytes.size() < 44 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(36, 4, "data") != 0) return wav;
  auto little = [&](std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
  };
  wav.channels = static_cast<int>(little(22, 2));
  wav.rate = static_cast<int>(little(24, 4));
  wav.bits = static_cast<int>(little(34, 2));
  wav.samples.resize(little(40, 4) / 2);
  std::memcpy(wav.samples.data(), bytes.data() + 44, std::min(wav.samples.size() * 2, bytes.size() - 44));
  return wav;
}

// The module's interleaved samples from frame `first` to frame `end`, as an
// offline render from its start gives them.
std::vector<std::int16_t> module_samples(std::size_t first, std::size_t end) {
  const ModuleRender render =
      render_module_file(std::string(QUORVANE_BINARY_DIR) + "/data/trumbel.it", sample_rate, end);
  EXPECT_TRUE(render.error.empty()) << render.error;
  if (render.audio.samples.size() < 2 * end) return {};
  return std::vector<std::int16_t>(render.audio.samples.begin() + 2 * first, render.audio.samples.begin() + 2 * end);
}

std::string frame_name(std::int64_t number) {
  char name[32];
  std::snprintf(name, sizeof(name), "%06lld.png", static_cast<long long>(number));
  return name;
}

double number(const Stream& stream, const std::string& key) {
  return stream.count(key) != 0 ? std::atof(stream.at(key).c_str()) : -1.0;
}

// The frame numbers of a scene in a stats JSON file: [first, first + frames).
std::pair<std::int64_t, std::int64_t> scene_frames(const std::string& json, const std::string& scene) {
  for (const std::string& entry : scene_entries(json)) {
    if (json_value(entry, "name") != scene) continue;
    const std::int64_t first = std::atoll(json_value(entry, "first_frame").c_str());
    return {first, first + std::atoll(json_value(entry, "frames").c_str())};
  }
  return {0, 0};
}

// The frame number of the last plain progress line ("frame N of about M"); 0 before the first.
long latest_progress_frame(const std::string& err) {
  const std::size_t at = err.rfind("frame ");
  return at == std::string::npos ? 0 : std::atol(err.c_str() + at + 6);
}

TEST(RenderCapture, OneSceneMakesAnMp4WithItsFramesSizeDurationAndSound) {
  SKIP_WITHOUT_FFMPEG();
  ScratchFolder scratch("capture-scene");
  const fs::path video = scratch.path() / "raycast.mp4";
  // The key before frame 40 ends the raycast scene: frames 1 to 39.
  const ChildResult result = render({"--fps", "10", "--keys", "40", "--scene", "raycast", "--video", video.string(),
                                     "--frames", (scratch.path() / "png").string(), "--at", "39"});
  ASSERT_TRUE(result.exited) << result.describe();
  ASSERT_EQ(result.status, 0) << result.describe();
  EXPECT_NE(result.out.find("video: frames 1 to 39 (39 frames, 3.900 s)"), std::string::npos) << result.out;
  EXPECT_EQ(files_in(scratch.path()), (std::set<std::string>{"raycast.mp4", "png"})) << "files left behind";

  std::map<std::string, Stream> streams = probe_streams(video);
  ASSERT_TRUE(streams.count("video") && streams.count("audio")) << "streams missing from " << video;
  expect_fields(streams["video"],
                {{"codec_name", "h264"},
                 {"width", "640"},
                 {"height", "480"},
                 {"nb_frames", "39"},
                 {"r_frame_rate", "10/1"}},
                "video");
  // Within half a frame: FFmpeg versions round the container's timestamps differently.
  EXPECT_NEAR(number(streams["video"], "duration"), 3.9, 0.05) << "the pictures' length";
  expect_fields(streams["audio"], {{"codec_name", "aac"}, {"sample_rate", "48000"}, {"channels", "2"}}, "audio");
  EXPECT_NEAR(number(streams["audio"], "duration"), 3.9, 0.03) << "sound and pictures differ in length";

  const std::vector<std::int16_t> samples = decode_audio(video);
  EXPECT_NEAR(static_cast<double>(samples.size()), 2.0 * 3.9 * sample_rate, 2.0 * 1024) << "decoded sound length";
  EXPECT_GT(root_mean_square(samples), 300.0) << "the sound is silent";

  // The last frame as coded and as the PNG holds it: near in luma and in
  // chroma, as BT.601 converts, and far from the PNG with red and blue swapped.
  const std::string frames = decode_video(video, "yuv420p");
  const std::size_t frame_bytes = 640 * 480 * 3 / 2;
  ASSERT_EQ(frames.size(), 39 * frame_bytes);
  const PngPicture png = read_png(scratch.path() / "png" / "000039.png");
  ASSERT_EQ(png.bytes.size(), 640u * 480 * 3);
  const std::string last = frames.substr(38 * frame_bytes);
  const YuvDistance near = yuv_distance(last, png.bytes, 640, 480);
  const YuvDistance swapped = yuv_distance(last, swap_red_and_blue(png.bytes), 640, 480);
  const YuvDistance tolerance = {3.0, 12.0, 12.0};  // x264 at --crf 18 on fine scan lines
  ASSERT_GT(swapped.luma, tolerance.luma) << "the frame has too little colour to tell";
  EXPECT_LT(near.luma, tolerance.luma);
  EXPECT_LT(near.blue, tolerance.blue);
  EXPECT_LT(near.red, tolerance.red);
}

TEST(RenderCapture, LosslessVideoHoldsTheFramesExactlyEnlarged) {
  SKIP_WITHOUT_FFMPEG();
  ScratchFolder scratch("capture-lossless");
  const fs::path video = scratch.path() / "raycast.mkv";
  const ChildResult result = render({"--fps", "10", "--keys", "8", "--scene", "raycast", "--lossless", "--scale", "2",
                                     "--video", video.string(), "--frames", (scratch.path() / "png").string()});
  ASSERT_TRUE(result.exited) << result.describe();
  ASSERT_EQ(result.status, 0) << result.describe();

  std::map<std::string, Stream> streams = probe_streams(video);
  ASSERT_TRUE(streams.count("video") && streams.count("audio")) << "streams missing from " << video;
  expect_fields(streams["video"], {{"codec_name", "ffv1"}, {"width", "1280"}, {"height", "960"}}, "video");
  expect_fields(streams["audio"], {{"codec_name", "flac"}}, "audio");

  // Frames 1 to 7, each exactly as its PNG.
  const std::string frames = decode_video(video, "rgb24");
  const std::size_t frame_bytes = 1280 * 960 * 3;
  ASSERT_EQ(frames.size(), 7 * frame_bytes);
  for (int frame = 1; frame <= 7; ++frame) {
    const PngPicture png = read_png(scratch.path() / "png" / frame_name(frame));
    EXPECT_TRUE(frames.compare((frame - 1) * frame_bytes, frame_bytes, png.bytes) == 0)
        << "video frame " << frame - 1 << " differs from " << frame_name(frame);
  }
}

TEST(RenderCapture, WavHoldsExactlyTheCapturedFramesStretchOfTheModule) {
  // The music starts with the first scene: frame 1, after the loading
  // picture, plays with the module's first sample.
  struct Case {
    const char* fps;
    std::string keys;
    const char* scene;
    std::int64_t first_frame, end_frame;   // the scene's frames: [first, end)
    std::size_t first_sample, end_sample;  // of the module, for those frames
  };
  const Case cases[] = {
      // Raycast's frames 1 to 24 at 800.8 samples a frame: 24 x 800.8 = 19219.2.
      {"60000/1001", "25", "raycast", 1, 25, 0, 19219},
      // Lattice's frames 30 to 79, 29 to 79 frames after frame 1, at 4800 samples a frame.
      {"10", "30,60," + keys_at(80, 64), "lattice", 30, 80, 29 * 4800, 79 * 4800},
  };
  for (const Case& c : cases) {
    ScratchFolder scratch("capture-wav");
    const fs::path wav_path = scratch.path() / "sound.wav";
    const fs::path json_path = scratch.path() / "stats.json";
    const ChildResult result = render({"--fps", c.fps, "--keys", c.keys, "--scene", c.scene, "--wav", wav_path.string(),
                                       "--stats-json", json_path.string()});
    ASSERT_TRUE(result.exited) << result.describe();
    ASSERT_EQ(result.status, 0) << result.describe();
    const auto frames = scene_frames(read_file_bytes(json_path), c.scene);
    EXPECT_EQ(frames, std::make_pair(c.first_frame, c.end_frame)) << c.scene << "'s frames [first, end)";

    const WavFile wav = read_wav(wav_path);
    EXPECT_EQ(wav.rate, sample_rate);
    EXPECT_EQ(wav.channels, 2);
    EXPECT_EQ(wav.bits, 16);
    ASSERT_EQ(wav.samples.size(), 2 * (c.end_sample - c.first_sample)) << c.scene << " at " << c.fps << " fps";
    EXPECT_TRUE(wav.samples == module_samples(c.first_sample, c.end_sample))
        << c.scene << " at " << c.fps << " fps: not the module's samples " << c.first_sample << " to " << c.end_sample;
  }
}

TEST(RenderCapture, OneSceneWritesTheSameFramesAsTheWholeRun) {
  ScratchFolder scratch("capture-same-frames");
  // Keys cut raycast at frame 30 and lattice's two loops at 45 and 60, then end every loop after.
  const std::string keys = "30,45," + keys_at(60, 64);
  const fs::path whole = scratch.path() / "whole";
  const fs::path scene = scratch.path() / "scene";
  const fs::path json_path = scratch.path() / "stats.json";
  const ChildResult whole_run = render(
      {"--fps", "10", "--keys", keys, "--frames", whole.string(), "--every", "3", "--stats-json", json_path.string()});
  ASSERT_EQ(whole_run.status, 0) << whole_run.describe();
  const ChildResult scene_run =
      render({"--fps", "10", "--keys", keys, "--scene", "lattice", "--frames", scene.string(), "--every", "3"});
  ASSERT_EQ(scene_run.status, 0) << scene_run.describe();

  const auto [first, end] = scene_frames(read_file_bytes(json_path), "lattice");
  ASSERT_LT(first, end) << "lattice showed no frame";
  std::set<std::string> lattice_frames;
  for (std::int64_t frame = first; frame < end; ++frame) {
    if (frame % 3 == 0) lattice_frames.insert(frame_name(frame));
  }
  EXPECT_EQ(files_in(scene), lattice_frames) << "every third of frames " << first << " to " << end - 1 << " expected";
  EXPECT_GT(files_in(whole).size(), lattice_frames.size()) << "the whole run wrote only lattice frames";
  for (const std::string& name : lattice_frames) {
    EXPECT_TRUE(read_file_bytes(scene / name) == read_file_bytes(whole / name)) << name << " differs";
  }
}

TEST(RenderCapture, ScaleTwoMakesEveryPixelATwoByTwoBlock) {
  ScratchFolder scratch("capture-scale");
  const std::string keys = keys_at(21, 64);
  for (const char* scale : {"1", "2"}) {
    const ChildResult result = render({"--fps", "10", "--keys", keys, "--scale", scale, "--frames",
                                       (scratch.path() / scale).string(), "--at", "0,20"});
    ASSERT_EQ(result.status, 0) << result.describe();
  }
  for (const char* frame : {"000000.png", "000020.png"}) {
    const PngPicture small = read_png(scratch.path() / "1" / frame);
    const PngPicture large = read_png(scratch.path() / "2" / frame);
    ASSERT_EQ(small.width, 640) << frame;
    ASSERT_EQ(large.width, 1280) << frame;
    ASSERT_EQ(large.height, 960) << frame;
    int wrong = 0;
    for (int y = 0; y < 960; ++y) {
      for (int x = 0; x < 1280; ++x) {
        const std::size_t from = (static_cast<std::size_t>(y / 2) * 640 + x / 2) * 3;
        const std::size_t to = (static_cast<std::size_t>(y) * 1280 + x) * 3;
        if (large.bytes.compare(to, 3, small.bytes, from, 3) != 0 && wrong++ < 5) {
          ADD_FAILURE() << frame << ": pixel (" << x << ", " << y << ") is not pixel (" << x / 2 << ", " << y / 2
                        << ")";
        }
      }
    }
    EXPECT_EQ(wrong, 0) << frame;
  }
}

TEST(RenderCapture, AMissingOrFailingFfmpegIsReportedAndLeavesNoFile) {
  ScratchFolder scratch("capture-no-ffmpeg");
  const fs::path tools = scratch.path() / "tools";
  fs::create_directories(tools / "empty");
  fs::create_directories(tools / "failing");
  {
    std::ofstream script(tools / "failing" / "ffmpeg");
    script << "#!/bin/sh\necho 'Unknown encoder libx264' >&2\nexit 3\n";
  }
  fs::permissions(tools / "failing" / "ffmpeg", fs::perms::owner_all);

  struct Case {
    const char* path;
    std::vector<std::string> message_parts;
  };
  const Case cases[] = {
      {"empty", {"ffmpeg was not found on PATH", "apt-get install ffmpeg"}},
      {"failing", {"ffmpeg failed with exit status 3", "Unknown encoder libx264"}},
  };
  for (const Case& c : cases) {
    const fs::path out = scratch.path() / c.path;
    fs::create_directories(out);
    ChildOptions options =
        render_options({"--fps", "10", "--keys", "5", "--scene", "raycast", "--video", (out / "capture.mp4").string()});
    options.environment["PATH"] = (tools / c.path).string();
    const ChildResult result = run_child(binary_path("quorvane-render"), options, render_timeout_seconds);
    ASSERT_TRUE(result.exited) << c.path << ": " << result.describe();
    EXPECT_EQ(result.status, 1) << c.path << ": " << result.describe();
    for (const std::string& part : c.message_parts) {
      EXPECT_NE(result.err.find(part), std::string::npos) << c.path << ": \"" << part << "\" not in: " << result.err;
    }
    EXPECT_EQ(files_in(out), std::set<std::string>{}) << c.path << ": files left behind";
  }
}

TEST(RenderCapture, CtrlCEndsTheCaptureWithAPlayableFileOfWhatWasCaptured) {
  SKIP_WITHOUT_FFMPEG();
  ScratchFolder scratch("capture-interrupted");
  const fs::path video = scratch.path() / "cut.mp4";
  ChildProcess child(binary_path("quorvane-render"), render_options({"--fps", "10", "--video", video.string()}));
  // Plain progress lines come every few seconds: the second one says frames have been captured.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  while (latest_progress_frame(child.err_so_far()) < 2 && child.running() &&
         std::chrono::steady_clock::now() < deadline) {
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
  ASSERT_TRUE(streams.count("video") && streams.count("audio")) << "streams missing from " << video;
  expect_fields(streams["video"], {{"nb_frames", std::to_string(last)}}, "video");
  EXPECT_NEAR(number(streams["audio"], "duration"), last / 10.0, 0.03) << "the sound is not cut with the pictures";
}

}  // namespace
