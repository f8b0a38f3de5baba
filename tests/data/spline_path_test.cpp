// Key-frame paths: cursor movement, the B-spline points (degenerate paths
// included), loading and adding keys, and missing and truncated files.
#include "data/spline_path.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <sstream>
#include <string>

#include "support/scratch_directory.h"

namespace {

// A path whose key k is (k + 1) x (1, 10, -1), at the given times.
SplinePath path_with_times(const std::vector<double>& times) {
  SplinePath path;
  path_allocate_keys(path, static_cast<int>(times.size()));
  for (int k = 0; k < path.count; ++k) path.points[k] = vec_scale({1, 10, -1}, k + 1.0);
  path.times = times;
  return path;
}

TEST(SplinePath, TheCursorPassesAtMostOneKeyPerMoveAndStopsShortOfTheLastKey) {
  const struct {
    const char* what;
    std::vector<double> times;
    int segment, advances, segment_after;
    double seek, step, time;  // seek: path_seek's first, -1: none; time: afterwards, summed as the demo sums it
  } cases[] = {
      {"two steps of 0.5 reach key 1 but do not pass it", {0, 1, 2, 3}, 0, 2, 0, -1, 0.5, 1.0},
      {"the 20th step of 0.05 passes key 1", {0, 1, 2, 3}, 0, 20, 1, -1, 0.05, 1.0000000000000002},
      {"steps of 0.7 stop short of the last key", {0, 1, 2, 3}, 0, 20, 2, -1, 0.7, 0.7 + 0.7 + 0.7 + 0.7},
      {"two steps of 3.5 pass a key each, the time staying", {0, 1, 2, 3, 4, 5}, 0, 2, 2, -1, 3.5, 3.5},
      {"a seek onto key 1 stays in segment 0", {0, 1, 2, 3}, 0, 0, 0, 1.0, 0, 1.0},
      {"a seek just past key 1", {0, 1, 2, 3}, 0, 0, 1, 1.0001, 0, 1.0001},
      {"a seek past the last key stops in the last segment", {0, 1, 2, 3}, 0, 0, 2, 10.0, 0, 10.0},
      {"a seek back keeps the segment", {0, 1, 2, 3}, 2, 0, 2, 0.5, 0, 0.5},
  };
  for (const auto& c : cases) {
    SplinePath path = path_with_times(c.times);
    path.segment = c.segment;
    path.step = c.step;
    if (c.seek >= 0) path_seek(path, c.seek);
    for (int i = 0; i < c.advances; ++i) path_advance(path);
    EXPECT_EQ(std::pair(path.time, path.segment), std::pair(c.time, c.segment_after)) << c.what << ": time, segment";
  }
}

// However far the cursor moves, degenerate paths never read outside their keys nor yield NaN.
TEST(SplinePath, PointsFollowTheUniformCubicBSplineAndDegeneratePathsStayInsideTheirKeys) {
  // The B-spline written out: the point weighing keys k0..k3 (numbered from 1) at u.
  const auto spline = [](int k0, int k1, int k2, int k3, double u) {
    const double w[4] = {(1 - u) * (1 - u) * (1 - u) / 6, (3 * u * u * u - 6 * u * u + 4) / 6,
                         (-3 * u * u * u + 3 * u * u + 3 * u + 1) / 6, u * u * u / 6};
    return vec_scale({1, 10, -1}, w[0] * k0 + w[1] * k1 + w[2] * k2 + w[3] * k3);
  };
  const Vector3 start = spline(1, 1, 2, 3, 0);  // 5/6 of key 1 and 1/6 of key 2
  const struct {
    const char* what;
    std::vector<double> times;
    double time;
    int segment;
    Vector3 expected;
  } cases[] = {
      {"time 0.25: key 1 stands in for the key before it", {0, 1, 2, 3}, 0.25, 0, spline(1, 1, 2, 3, 0.25)},
      {"time 1.5", {0, 1, 2, 3}, 1.5, 1, spline(1, 2, 3, 4, 0.5)},
      {"time 2.5: key 4 is the last", {0, 1, 2, 3}, 2.5, 2, spline(2, 3, 4, 4, 0.5)},
      {"time 2 in a lagging segment: u = 1", {0, 1, 2, 3}, 2.0, 1, spline(1, 2, 3, 4, 1.0)},
      {"no keys: the origin", {}, 0.0, 0, {0, 0, 0}},
      {"one key: that key, whatever the segment", {5}, 0.0, 7, {1, 10, -1}},
      {"equal times: the segment start", {0, 0, 0, 0}, 0.0, 0, start},
      {"decreasing times: the segment start", {3, 2, 1, 0}, 0.0, 0, start},
  };
  for (const auto& c : cases) {
    SplinePath path = path_with_times(c.times);
    path.time = c.time;
    path.segment = c.segment;
    const Vector3 got = path_position(path), &e = c.expected;
    EXPECT_LT(vec_length(vec_sub(got, e)), 1e-12) << c.what << ": expected (" << e.x << ", " << e.y << ", " << e.z
                                                  << "), got (" << got.x << ", " << got.y << ", " << got.z << ")";
    for (int i = 0; i < 100; ++i) {
      path_advance(path);
      const bool segment_held = path.count < 2 ? path.segment == c.segment : path.segment <= path.count - 2;
      const Vector3 p = path_position(path);
      ASSERT_TRUE(std::isfinite(p.x + p.y + p.z) && segment_held) << c.what << ", advance " << i;
    }
  }
}

TEST(SplinePath, LoadsWhatTheFileHoldsAndStaysSoundWhenItIsMissingOrBroken) {
  const struct {
    const char* what;
    const char* text;  // nullptr: no file
    int count;
    double step;
    std::string message;          // printed before the file name
    std::array<double, 4> key_2;  // x, y, z and time of the second key, if any: unread numbers stay zero
  } cases[] = {
      {"whole", "Key count\n` 3\nStep per frame\n` 0.25\nKeys: x y z time\n` 1 2 3 0\n` 4.5 -5\n 6 1\n` 7 8 9 2.5\n", 3,
       0.25, "", {4.5, -5, 6, 1}},
      {"missing", nullptr, 0, 0.05, "Cannot find ", {}},
      {"keys cut short", "` 4\n` 0.5\n` 1 1 1 0\n` 2 2", 4, 0.5, "", {2, 2, 0, 0}},
      {"no step", "` 2\n", 2, 0.05, "", {}},
      {"negative count", "` -5\n` 0.5\n` 1 1 1 0\n", 0, 0.05, "Bad key count -5 in ", {}},
      {"absurd count", "` 2000000000\n` 0.5\n", 0, 0.05, "Bad key count 2000000000 in ", {}},
      {"empty", "", 0, 0.05, "", {}},
  };
  const ScratchDirectory scratch;
  for (const auto& c : cases) {
    const std::string text = c.text ? c.text : "";
    const std::string file = c.text ? scratch.write(c.what, {text.begin(), text.end()}) : scratch.path() + "/absent";
    SplinePath path = path_with_times({0, 1});  // path_load starts afresh
    ::testing::internal::CaptureStdout();
    path_load(path, file.c_str());
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.message.empty() ? "" : c.message + file + "\n") << c.what;
    EXPECT_TRUE(path.count == c.count && path.points.size() == std::size_t(c.count) && path.step == c.step)
        << c.what << ": count " << path.count << ", " << path.points.size() << " points, step " << path.step;
    const Vector3 key = path.count >= 2 ? path.points[1] : Vector3{};
    EXPECT_EQ((std::array{key.x, key.y, key.z, path.count >= 2 ? path.times[1] : 0.0}), c.key_2) << c.what;
  }
  SplinePath added = path_with_times({0, 1, 2, 3});
  added.count = 2;  // path_add_key puts the new key at index count, dropping the arrays' tail
  path_add_key(added, 7, 8, 9, 50);
  EXPECT_TRUE(added.count == 3 && added.points.size() == 3 && added.times.size() == 3 && added.times[2] == 50);
  SplinePath two = path_with_times({0, 1});
  std::istringstream in("7 8 9 10");
  path_read_key(two, -1, in);
  path_read_key(two, 2, in);
  EXPECT_EQ(in.tellg(), 0) << "key -1 or 2 of two is read";
}

}  // namespace
