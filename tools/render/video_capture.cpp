// The two ffmpeg passes of a video capture.
#include "video_capture.h"

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Pixel is 0x00RRGGBB in a 32-bit word: in memory B, G, R, 0 on a
// little-endian machine, 0, R, G, B on a big-endian one.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
constexpr const char* raw_pixel_format = "0rgb";
#else
constexpr const char* raw_pixel_format = "bgr0";
#endif

const std::vector<std::string> quiet = {"-hide_banner", "-nostdin", "-nostats", "-loglevel", "error", "-y"};

std::vector<std::string> encoder_arguments(const RenderSettings& settings, const fs::path& pictures) {
  std::vector<std::string> arguments = quiet;
  const std::string size = std::to_string(settings.width()) + "x" + std::to_string(settings.height());
  const std::string rate = std::to_string(settings.rate.numerator) + "/" + std::to_string(settings.rate.denominator);
  arguments.insert(arguments.end(), {"-f", "rawvideo", "-pixel_format", raw_pixel_format, "-video_size", size,
                                     "-framerate", rate, "-i", "pipe:0", "-an"});
  if (settings.lossless) {
    // Every frame a key frame, so that any point can be cut or sought.
    arguments.insert(arguments.end(), {"-c:v", "ffv1", "-level", "3", "-g", "1", "-pix_fmt", "bgr0"});
  } else {
    // The RGB to YUV conversion uses BT.601's matrix; say so, or players
    // guess BT.709 for the larger scales and shift the colours.
    arguments.insert(arguments.end(), {"-c:v", "libx264", "-preset", "medium", "-crf", std::to_string(settings.crf),
                                       "-pix_fmt", "yuv420p", "-colorspace", "smpte170m", "-color_range", "tv"});
  }
  arguments.insert(arguments.end(), {"-f", "nut", pictures.string()});
  return arguments;
}

std::vector<std::string> mux_arguments(const RenderSettings& settings, const fs::path& pictures,
                                       const fs::path& sound) {
  std::vector<std::string> arguments = quiet;
  arguments.insert(arguments.end(), {"-i", pictures.string(), "-i", sound.string(), "-map", "0:v:0", "-map", "1:a:0",
                                     "-c:v", "copy"});
  if (settings.lossless) {
    arguments.insert(arguments.end(), {"-c:a", "flac", "-f", "matroska"});
  } else {
    // The index up front, so that the file starts playing before it is all read.
    arguments.insert(arguments.end(), {"-c:a", "aac", "-b:a", "192k", "-movflags", "+faststart", "-f", "mp4"});
  }
  arguments.push_back(settings.video_path);
  return arguments;
}

// A hidden folder beside `output`, on the same disk: the pictures of a long
// lossless capture take gigabytes.
bool make_temporary_folder(const fs::path& output, fs::path& folder, std::string& error) {
  std::string pattern = (output.parent_path() / ("." + output.filename().string() + ".capture-XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) {
    error = "cannot make a temporary folder beside " + output.string() + ": " + std::strerror(errno);
    return false;
  }
  folder = pattern;
  return true;
}

}  // namespace

VideoCapture::~VideoCapture() {
  std::string ignored;
  encoder_.finish(ignored);  // before its file goes
  std::error_code error;
  if (!folder_.empty()) fs::remove_all(folder_, error);
}

bool VideoCapture::start(const RenderSettings& settings, std::string& error) {
  settings_ = settings;
  if (!make_temporary_folder(settings.video_path, folder_, error)) return false;
  return encoder_.start(encoder_arguments(settings, folder_ / "pictures.nut"), true, (folder_ / "encode.log").string(),
                        error);
}

bool VideoCapture::add_frame(const Pixel* pixels) {
  const std::size_t bytes = static_cast<std::size_t>(settings_.width()) * settings_.height() * sizeof(Pixel);
  return encoder_.write(pixels, bytes);
}

bool VideoCapture::finish(const PcmAudio& audio, std::string& error) {
  if (!encoder_.finish(error)) return false;
  const fs::path sound = folder_ / "sound.wav";
  if (!write_wav(sound.string(), audio)) {
    error = "cannot write the sound to " + sound.string();
    return false;
  }
  return run_ffmpeg(mux_arguments(settings_, folder_ / "pictures.nut", sound), (folder_ / "mux.log").string(),
                    error);
}
