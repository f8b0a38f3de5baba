// Offline rendering: sound of the right pitch that ends with the module, at
// the length and rate asked for or why not; and the WAV file's bytes.
#include "shell/audio/module_render.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "music_test_support.h"

namespace {

TEST(ModuleRender, SoundsAtItsPitchUntilItsEndAtTheLengthAndRateAskedForOrSaysWhyNot) {
  ScratchDirectory scratch;
  // A 32-byte square wave cycle at period 428 sounds at 7,093,789.2 / (2 x
  // 428 x 32) = 259 Hz, crossing zero 518 times a second at any rate.
  const std::string module = scratch.write("tiny.mod", tiny_module(8));  // its song lasts 0.48 s
  const int rate = 22050;
  const ModuleRender render = render_module_file(module, rate, rate);
  ASSERT_EQ(render.error, "");
  const std::vector<std::int16_t>& samples = render.audio.samples;
  int crossings = 0, previous_sign = 0, peak = 0;
  std::size_t last_sound = 0;
  for (std::size_t frame = 0; frame < render.audio.frame_count(); ++frame) {
    const int sum = samples[2 * frame] + samples[2 * frame + 1];
    const int sign = (sum > 0) - (sum < 0);
    const bool counted = frame >= rate * 0.05 && frame < rate * 0.45;  // away from the start and the end
    if (counted && sign != 0 && previous_sign != 0 && sign != previous_sign) ++crossings;
    if (sign != 0) previous_sign = sign;
    if (counted) peak = std::max(peak, std::abs(sum));
    if (sum != 0) last_sound = frame;
  }
  EXPECT_GT(peak, 4000);
  EXPECT_NEAR(crossings / 0.4, 518.0, 518.0 * 0.05) << "zero crossings a second";
  // libopenmpt lets the last row ring briefly past the song's end (0.1 s in
  // libopenmpt 0.6); after that, silence: the module does not loop.
  EXPECT_GE(last_sound, rate * 0.48) << "the sound stopped before the song's end";
  EXPECT_LT(last_sound, rate * 0.65) << "sound long after the song's end at 0.48 s";
  // Dither would add fresh noise to every render; captures must be repeatable.
  EXPECT_TRUE(render_module_file(module, rate, rate).audio.samples == samples) << "two renders differ";

  const std::string noise = scratch.write("noise.it", std::vector<std::uint8_t>(5000, 0x3C));
  const struct {
    std::string path;
    int rate;
    std::size_t frames;
    std::string error;
  } cases[] = {
      {module, 44100, 1000, ""},
      {module, 8000, 0, ""},
      {module, 192000, 200000, ""},
      {scratch.path() + "/absent.it", 48000, 100, "Cannot read " + scratch.path() + "/absent.it"},
      {noise, 48000, 100, noise + " is not a module"},
      {module, 7999, 100, "Rate 7999 is outside 8000 to 192000"},
      {module, 192001, 100, "Rate 192001 is outside 8000 to 192000"},
  };
  for (const auto& c : cases) {
    const ModuleRender got = render_module_file(c.path, c.rate, c.frames);
    EXPECT_EQ(got.error, c.error) << c.path << " at " << c.rate;
    EXPECT_EQ(got.audio.frame_count(), c.error.empty() ? c.frames : 0u) << c.path << " at " << c.rate;
    EXPECT_EQ(got.audio.rate, c.error.empty() ? c.rate : 0) << c.path;
  }
}

TEST(ModuleRender, WritesA16BitStereoWavFileOrFailsWhereNoneCanBeMade) {
  ScratchDirectory scratch;
  PcmAudio audio;
  audio.rate = 44100;
  audio.samples = {0, 1, -1, 32767, -32768, 0x1234};
  const std::string path = scratch.path() + "/out.wav";
  ASSERT_TRUE(write_wav(path, audio));

  std::ifstream file(path, std::ios::binary);
  const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  const std::vector<unsigned char> expected = {
      'R', 'I', 'F', 'F', 48, 0, 0, 0, 'W', 'A', 'V', 'E',  // RIFF size: 36 + 12 data bytes
      'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 2, 0,          // PCM, stereo
      0x44, 0xAC, 0, 0,                                     // 44,100 frames a second
      0x10, 0xB1, 2, 0,                                     // 176,400 bytes a second
      4, 0, 16, 0,                                          // 4 bytes a frame, 16 bits a sample
      'd', 'a', 't', 'a', 12, 0, 0, 0,                      // 3 frames
      0, 0, 1, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0x00, 0x80, 0x34, 0x12,
  };
  EXPECT_EQ(bytes, expected);
  EXPECT_FALSE(write_wav(scratch.path() + "/no/such/dir/out.wav", audio)) << "a file that cannot be made";
}

}  // namespace
