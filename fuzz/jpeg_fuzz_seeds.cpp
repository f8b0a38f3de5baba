// Writes the JPEG fuzzer's seed corpus into a folder: small pictures in every
// form the test corpus covers (samplings, greyscale, restarts, optimised and
// 16-bit tables, separate scans, libjpeg's progression and our deeper one),
// made by libjpeg's encoder.
//
//   quorvane_jpeg_fuzz_seeds FOLDER
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "jpeg/libjpeg_oracle.h"

namespace {

struct Seed {
  std::string name;
  int width;
  int height;
  int components;
  EncodeOptions options;
};

std::vector<Seed> seeds() {
  std::vector<Seed> list;
  const int samplings[4][2] = {{1, 1}, {2, 1}, {1, 2}, {2, 2}};
  for (const auto& s : samplings) {
    EncodeOptions options;
    options.h_sampling = s[0];
    options.v_sampling = s[1];
    const std::string tag = "colour-" + std::to_string(s[0]) + "x" + std::to_string(s[1]);
    list.push_back({tag, 33, 17, 3, options});
    EncodeOptions progressive = options;
    progressive.progressive = true;
    list.push_back({tag + "-progressive", 29, 21, 3, progressive});
    EncodeOptions deep = options;
    deep.deep_progression = true;
    list.push_back({tag + "-deep-progression", 23, 19, 3, deep});
  }
  EncodeOptions options;
  list.push_back({"grey", 24, 20, 1, options});
  options.restart_interval = 2;
  list.push_back({"grey-restarts", 30, 18, 1, options});
  options.progressive = true;
  list.push_back({"grey-progressive-restarts", 26, 22, 1, options});
  options = {};
  options.deep_progression = true;
  options.restart_interval = 3;
  list.push_back({"colour-deep-progression-restarts", 27, 25, 3, options});
  options = {};
  options.quality = 5;
  options.force_baseline = false;
  list.push_back({"grey-16-bit-tables", 21, 21, 1, options});
  options.progressive = true;
  list.push_back({"colour-progressive-16-bit-tables", 20, 28, 3, options});
  options = {};
  options.quality = 100;
  options.optimise = true;
  list.push_back({"colour-optimised", 19, 23, 3, options});
  options = {};
  options.separate_scans = true;
  list.push_back({"colour-separate-scans", 25, 15, 3, options});
  options = {};
  options.restart_interval = 1;
  list.push_back({"colour-restarts", 17, 33, 3, options});
  return list;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  for (const Seed& seed : seeds()) {
    const Bytes jpeg = libjpeg_encode(make_test_picture(seed.width, seed.height, seed.components), seed.options);
    const std::string path = std::string(argv[1]) + "/" + seed.name + ".jpg";
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(jpeg.data()), static_cast<std::streamsize>(jpeg.size()));
    if (!file) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
