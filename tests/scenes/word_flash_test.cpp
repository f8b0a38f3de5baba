// Word pictures fading around their moment; which word and flash pictures
// each scene shows, and when (a flash picture shows in the one frame that
// first passes its moment).
#include "scenes/word_flash.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <string>

#include "scene_rig.h"

namespace {

TEST(WordFlash, TheLevelIsFullNearTheMomentThenFadesBySixteenPerUnit) {
  // Moment 50, the demo's bias of 50: full within 3 units (53.9 truncated to 53), 242 at 4 (46.5 truncated to
  // 46), 226 at 5, 2 at 19, hidden from 20 on and for any time far away or not finite.
  const std::pair<double, int> cases[] = {
      {50.0, 256}, {53.9, 256}, {47.0, 256}, {54.0, 242}, {46.5, 242}, {45.9, 226},   {69.0, 2},
      {31.0, 2},   {70.0, 0},   {30.99, 0},  {-1e300, 0}, {1e300, 0},  {INFINITY, 0}, {std::nan(""), 0},
  };
  for (const auto& [time, level] : cases) EXPECT_EQ(word_flash_level(time, 50, 50), level) << "time " << time;
}

TEST(SceneWordsAndFlashes, EachSceneShowsItsOwnPicturesAtItsMoments) {
  // A loop from 0 shows 0, 0, 30, 60, ...; word moments 0 and 30; flash moments 30 and 100 of the loop that
  // shows them, a frame exactly at a moment not past it. A frame shows flash picture k ('0' + k), or over all
  // of it at full level the scene's first word ('r', red), its second ('b', blue) or another scene's ('g').
  const struct {
    const char* scene;
    std::function<void(SceneRig&, double, double)> play;
    double first, second;
    int first_word;
    std::array<int, 2> WordFlashTimes::*moments;
    const char* looks;
  } cases[] = {
      // Both scenes' first loops run 20 past their length: their second
      // loops show 20, 50, 80 and 110.
      {"starwarp", play_starwarp, 70.0, 111.0, 0, &WordFlashTimes::starwarp, "rrb..0.1"},
      {"particles", play_particles, 130.0, 111.0, 2, &WordFlashTimes::particles, "rrb2.....3"},
      {"blobby", play_blobby, 130.0, 0.0, 4, &WordFlashTimes::blobby, "rrb4.5"},
  };
  for (const auto& c : cases) {
    SceneRig rig(thirty_unit_rate);
    SharedPictures& shared = rig.shared;
    shared.word_flash_bias = 50;
    shared.word_flash_times = {{1000, 1000}, {1000, 1000}, {1000, 1000}};
    shared.word_flash_times.*c.moments = {0, 30};
    for (int k = 0; k < 8; ++k) {
      fill(*shared.words_pictures[k], k == c.first_word ? 0xFF0000 : k == c.first_word + 1 ? 0xFF : 0xFF00);
    }
    for (int k = 0; k < 6; ++k) fill(*shared.sublim_pictures[k], static_cast<Pixel>(0x123400 + k));
    c.play(rig, c.first, c.second);
    std::string looks;
    for (const std::vector<Pixel>& frame : rig.frames) {
      Pixel common = 0x00FFFFFF;
      for (Pixel p : frame) common &= p;
      const char word = common & 0xFF0000 ? 'r' : common & 0xFF ? 'b' : common & 0xFF00 ? 'g' : '.';
      const bool flash = std::equal(frame.begin() + 1, frame.end(), frame.begin()) && frame[0] >> 8 == 0x1234;
      looks += flash ? static_cast<char>('0' + (frame[0] & 0xFF)) : word;
    }
    EXPECT_EQ(looks, c.looks) << c.scene;
  }
}

}  // namespace
