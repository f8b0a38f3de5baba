// The committed parameter and path files through the demo's own readers.
// generate.py --check reads them with a Python copy of the marker rules; this
// shows the C++ reader finds the same number of values in each (a one-word
// comment line would swallow one) and every key of each path, silently.
#include <gtest/gtest.h>

#include <string>

#include "data/config_reader.h"
#include "data/spline_path.h"

TEST(DataFiles, EveryParameterFileYieldsItsValuesAndEveryPathAllItsKeys) {
  const std::string data = QUORVANE_SOURCE_DIR "/data/";
  const std::pair<const char*, int> configs[] = {{"raycast.conf", 2},   {"lattice.conf", 15}, {"starwarp.conf", 3},
                                                 {"particles.conf", 8}, {"blobby.conf", 2},   {"greets.conf", 6}};
  for (const auto& [name, values] : configs) {
    ConfigReader reader;
    ASSERT_TRUE(config_open(reader, (data + name).c_str())) << name;
    int read = 0;
    for (double value = 0; config_read_double(reader, value);) ++read;
    EXPECT_EQ(read, values) << name;
  }
  for (const char* name : {"lightR.bsp", "l-camera.bsp", "l-axis.bsp", "l-angle.bsp", "p-loc.bsp", "p-axis.bsp",
                           "g-camera.bsp", "g-axis.bsp"}) {
    SplinePath path;
    testing::internal::CaptureStdout();
    path_load(path, (data + name).c_str());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << name;
    EXPECT_GE(path.count, 4) << name;
    // A key the reader missed would keep time 0 and break the increase.
    for (int k = 1; k < path.count; ++k) EXPECT_LT(path.times[k - 1], path.times[k]) << name << " key " << k;
  }
}
