// Each scene's parameter file: every value goes to its own field, in file
// order (each parameter record lists its fields in that order).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "data/config_reader.h"
#include "data/temp_text_file.h"
#include "scenes/blobby.h"
#include "scenes/greets.h"
#include "scenes/lattice.h"
#include "scenes/particles.h"
#include "scenes/raycast.h"
#include "scenes/starwarp.h"

namespace {

// The fields of the record `read` makes of `file`, in order: ints for the
// lattice scene, doubles for the others.
template <typename Parameters>
std::vector<double> fields(Parameters (*read)(ConfigReader&), const std::string& file) {
  using Number = std::conditional_t<std::is_same_v<Parameters, LatticeParameters>, int, double>;
  ConfigReader reader;
  reader.stream.open(file);
  const Parameters parameters = read(reader);
  std::vector<Number> values(sizeof parameters / sizeof(Number));
  std::memcpy(values.data(), &parameters, sizeof parameters);
  return {values.begin(), values.end()};
}

TEST(SceneParameters, EachSceneReadsItsValuesInFileOrder) {
  std::string text;  // values 1, 2, 3, ..., each after a two-word comment
  for (int k = 1; k <= 15; ++k) text += "Value " + std::to_string(k) + "\n` " + std::to_string(k) + "\n";
  const std::string file = write_temp_text_file(text);
  const std::pair<const char*, std::vector<double>> cases[] = {
      {"raycast", fields(raycast_read_parameters, file)},   {"lattice", fields(lattice_read_parameters, file)},
      {"starwarp", fields(starwarp_read_parameters, file)}, {"particles", fields(particles_read_parameters, file)},
      {"blobby", fields(blobby_read_parameters, file)},     {"greets", fields(greets_read_parameters, file)},
  };
  for (const auto& [scene, got] : cases) {
    std::vector<double> expected(got.size());
    for (std::size_t k = 0; k < expected.size(); ++k) expected[k] = k + 1.0;
    EXPECT_EQ(got, expected) << scene;
  }
}

}  // namespace
