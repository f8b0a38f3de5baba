// The scene lengths from data/*.conf.
#include "scene_lengths.h"

#include "data/config_reader.h"

namespace {

// Where a scene's loop lengths stand in its parameter file.
struct LengthSource {
  const char* scene;
  const char* file;
  std::vector<int> length_values;  // positions, in reading order, of the values that are loop lengths
  int loops;
};

// The values of `file` in reading order, up to the last one needed; zeros
// when it cannot be read. Opened without config_open, whose message about a
// missing file belongs to the scene that needs it.
std::vector<double> read_values(const char* file, int count) {
  std::vector<double> values(count, 0.0);
  ConfigReader reader;
  reader.stream.open(file);
  if (reader.stream.is_open()) {
    for (double& value : values) config_read_double(reader, value);
  }
  return values;
}

}  // namespace

std::vector<SceneLength> committed_scene_lengths() {
  const LengthSource sources[] = {
      {"raycast", "data/raycast.conf", {0}, 1},
      {"lattice", "data/lattice.conf", {0, 1}, 2},
      {"starwarp", "data/starwarp.conf", {0, 1}, 2},
      {"particles", "data/particles.conf", {0, 1}, 2},
      {"blobby", "data/blobby.conf", {0}, 1},
      {"greets", "data/greets.conf", {0, 1, 2, 3, 4, 5}, 6},
  };
  std::vector<SceneLength> lengths;
  for (const LengthSource& source : sources) {
    int needed = 0;
    for (int position : source.length_values) needed = position + 1 > needed ? position + 1 : needed;
    const std::vector<double> values = read_values(source.file, needed);
    SceneLength length{source.scene, 0.0, source.loops};
    for (int position : source.length_values) length.units += values[position];
    lengths.push_back(length);
  }
  return lengths;
}
