// Key-frame paths: cursor movement, the B-spline points, loading, and the
// sound results of truncated, garbage and degenerate paths.
#include "data/spline_path.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "data/temp_text_file.h"

namespace {

// A path over keys (k, 10k, -k) at times 0, 1, 2, ... as if loaded.
SplinePath path_with_times(const std::vector<double>& times) {
  SplinePath path;
  path_allocate_keys(path, static_cast<int>(times.size()));
  for (int k = 0; k < path.count; ++k) {
    path.points[k] = {1.0 * k, 10.0 * k, -1.0 * k};
    path.times[k] = times[k];
  }
  return path;
}

bool finite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// The uniform cubic B-spline written out, as a reference for the basis.
Vector3 reference_point(const Vector3& p0, const Vector3& p1, const Vector3& p2, const Vector3& p3, double u) {
  const double w[4] = {(1 - u) * (1 - u) * (1 - u) / 6, (3 * u * u * u - 6 * u * u + 4) / 6,
                       (-3 * u * u * u + 3 * u * u + 3 * u + 1) / 6, u * u * u / 6};
  return {w[0] * p0.x + w[1] * p1.x + w[2] * p2.x + w[3] * p3.x, w[0] * p0.y + w[1] * p1.y + w[2] * p2.y + w[3] * p3.y,
          w[0] * p0.z + w[1] * p1.z + w[2] * p2.z + w[3] * p3.z};
}

void expect_near(const Vector3& got, const Vector3& expected, const std::string& what) {
  EXPECT_NEAR(got.x, expected.x, 1e-12) << what;
  EXPECT_NEAR(got.y, expected.y, 1e-12) << what;
  EXPECT_NEAR(got.z, expected.z, 1e-12) << what;
}

TEST(SplinePath, TheCursorPassesAtMostOneKeyPerAdvanceAndStopsShortOfTheLastKey) {
  struct Case {
    const char* what;
    std::vector<double> times;
    double step;
    int advances;
    double time;  // the cursor afterwards, summed step by step as the demo does; -1: not checked
    int segment;
  };
  const Case cases[] = {
      {"19 steps of 0.05 stay before key 1", {0, 1, 2, 3}, 0.05, 19, -1, 0},
      {"the 20th step of 0.05 passes key 1", {0, 1, 2, 3}, 0.05, 20, 1.0000000000000002, 1},
      {"steps of 0.7 stop short of the last key", {0, 1, 2, 3}, 0.7, 20, 0.7 + 0.7 + 0.7 + 0.7, 2},
      {"a step of 3.5 passes one key", {0, 1, 2, 3, 4, 5}, 3.5, 1, 3.5, 1},
      {"the next passes one more, time staying", {0, 1, 2, 3, 4, 5}, 3.5, 2, 3.5, 2},
  };
  for (const Case& c : cases) {
    SplinePath path = path_with_times(c.times);
    path.step = c.step;
    for (int i = 0; i < c.advances; ++i) path_advance(path);
    if (c.time >= 0) {
      EXPECT_EQ(path.time, c.time) << c.what;
    }
    EXPECT_EQ(path.segment, c.segment) << c.what;
    EXPECT_TRUE(finite(path_position(path))) << c.what;
  }
}

TEST(SplinePath, PointsFollowTheUniformCubicBSpline) {
  const SplinePath keys = path_with_times({0, 1, 2, 3});
  const auto& p = keys.points;
  struct Case {
    double time;
    int segment;
    Vector3 expected;
  };
  const Case cases[] = {
      {0.0, 0, vec_add(vec_scale(p[0], 5.0 / 6.0), vec_scale(p[1], 1.0 / 6.0))},  // the start
      {0.25, 0, reference_point(p[0], p[0], p[1], p[2], 0.25)},
      {1.5, 1, reference_point(p[0], p[1], p[2], p[3], 0.5)},
      {2.5, 2, reference_point(p[1], p[2], p[3], p[3], 0.5)},  // P3 is the last key
      {2.0, 1, reference_point(p[0], p[1], p[2], p[3], 1.0)},  // segment lagging: u = 1
  };
  for (const Case& c : cases) {
    SplinePath path = keys;
    path.time = c.time;
    path.segment = c.segment;
    expect_near(path_position(path), c.expected, "time " + std::to_string(c.time));
  }
}

TEST(SplinePath, SeekMovesTheSegmentForwardOnly) {
  SplinePath path = path_with_times({0, 1, 2, 3});
  struct Case {
    double t;
    int segment;
  };
  const Case cases[] = {{0.5, 0}, {1.0, 0}, {1.0001, 1}, {2.5, 2}, {0.5, 2}, {10.0, 2}};
  for (const Case& c : cases) {
    path_seek(path, c.t);
    EXPECT_EQ(path.time, c.t);
    EXPECT_EQ(path.segment, c.segment) << "seek to " << c.t;
    EXPECT_TRUE(finite(path_position(path))) << "seek to " << c.t;
  }
  path.segment = 0;
  path_seek(path, 2.5);
  EXPECT_EQ(path.segment, 2);
}

TEST(SplinePath, DegeneratePathsStayFiniteAndInsideTheirKeys) {
  struct Case {
    const char* what;
    std::vector<double> times;
    Vector3 start;  // position before any advance
  };
  const Case cases[] = {
      {"no keys: the origin", {}, {0, 0, 0}},
      {"one key: that key", {0}, {0, 0, 0}},
      {"equal times: the segment start", {0, 0, 0, 0}, {1.0 / 6, 10.0 / 6, -1.0 / 6}},
      {"decreasing times: the segment start", {3, 2, 1, 0}, {1.0 / 6, 10.0 / 6, -1.0 / 6}},
  };
  for (const Case& c : cases) {
    SplinePath path = path_with_times(c.times);
    path.time = 0.0;
    expect_near(path_position(path), c.start, c.what);
    for (int i = 0; i < 100; ++i) {
      path_advance(path);
      ASSERT_TRUE(finite(path_position(path))) << c.what << ", advance " << i;
      ASSERT_LE(path.segment, std::max(0, path.count - 2)) << c.what;
    }
  }
  SplinePath one = path_with_times({5});
  one.points[0] = {1, 2, 3};
  one.segment = 7;  // set by hand beyond the keys
  expect_near(path_position(one), {1, 2, 3}, "one key, wild segment");
}

TEST(SplinePath, LoadsCountStepAndKeys) {
  const std::string path_file = write_temp_text_file(
      "Number of keys\n` 3\nStep per frame\n` 0.25\nKeys: x y z time\n"
      "` 1 2 3 0\n` 4.5 -5\n 6 1\n` 7 8 9 2.5\n");
  SplinePath path;
  path_load(path, path_file.c_str());
  ASSERT_EQ(path.count, 3);
  EXPECT_EQ(path.step, 0.25);
  expect_near(path.points[0], {1, 2, 3}, "key 0");
  expect_near(path.points[1], {4.5, -5, 6}, "key 1, split over two lines");
  expect_near(path.points[2], {7, 8, 9}, "key 2");
  EXPECT_EQ(path.times, (std::vector<double>{0, 1, 2.5}));
}

TEST(SplinePath, MissingAndBrokenFilesLeaveSoundPaths) {
  struct Case {
    const char* what;
    const char* text;  // nullptr: no file
    int count;
    double step;
    std::string message;  // printed before the file name
    Vector3 key_1;        // when there is one: unread numbers stay zero
  };
  const Case cases[] = {
      {"missing", nullptr, 0, 0.05, "Cannot find ", {}},
      {"keys cut short", "` 4\n` 0.5\n` 1 1 1 0\n` 2 2", 4, 0.5, "", {2, 2, 0}},
      {"no step", "` 2\n", 2, 0.05, "", {0, 0, 0}},
      {"negative count", "` -5\n` 0.5\n` 1 1 1 0\n", 0, 0.05, "Bad key count -5 in ", {}},
      {"absurd count", "` 2000000000\n` 0.5\n", 0, 0.05, "Bad key count 2000000000 in ", {}},
      {"empty", "", 0, 0.05, "", {}},
  };
  for (const Case& c : cases) {
    const std::string suffix = std::to_string(&c - cases);
    const std::string file = c.text ? write_temp_text_file(c.text, suffix) : ::testing::TempDir() + "absent" + suffix;
    SplinePath path = path_with_times({0, 1});  // path_load starts afresh
    ::testing::internal::CaptureStdout();
    path_load(path, file.c_str());
    const std::string printed = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, c.message.empty() ? "" : c.message + file + "\n") << c.what;
    EXPECT_EQ(path.count, c.count) << c.what;
    EXPECT_EQ(path.step, c.step) << c.what;
    if (path.count >= 2) expect_near(path.points[1], c.key_1, c.what);
    EXPECT_TRUE(finite(path_position(path))) << c.what;
  }
}

TEST(SplinePath, AddedKeysAppendAfterTheKeysHeld) {
  SplinePath built;
  for (int k = 0; k < 4; ++k) path_add_key(built, 1.0 * k, 10.0 * k, -1.0 * k, 1.0 * k);
  ASSERT_EQ(built.count, 4);
  EXPECT_EQ(built.times, (std::vector<double>{0, 1, 2, 3}));
  expect_near(built.points[3], {3, 30, -3}, "the fourth key added");

  SplinePath short_count = path_with_times({0, 1, 2, 3});
  short_count.count = 2;  // arrays longer than count: the new key goes at index 2
  SplinePath long_count = path_with_times({0, 1});
  long_count.count = 9;  // count beyond the arrays: the new key follows what they hold
  const struct {
    const char* what;
    SplinePath path;
    std::size_t count;  // after the key is added
  } cases[] = {{"empty", SplinePath{}, 1}, {"count below the arrays", short_count, 3},
               {"count beyond the arrays", long_count, 3}};
  for (const auto& c : cases) {
    SplinePath path = c.path;
    path_add_key(path, 7, 8, 9, 50);
    ASSERT_TRUE(path.count == static_cast<int>(c.count) && path.points.size() == c.count &&
                path.times.size() == c.count)
        << c.what << ": expected " << c.count << " keys, got count " << path.count << ", " << path.points.size()
        << " points, " << path.times.size() << " times";
    expect_near(path.points[c.count - 1], {7, 8, 9}, c.what);
    EXPECT_EQ(path.times[c.count - 1], 50.0) << c.what;
  }
}

TEST(SplinePath, GarbageFilesNeverReadOutsideTheKeys) {
  std::mt19937 random(7);
  const std::string alphabet = "`` \n-.e0123456789x";
  for (int file = 0; file < 100; ++file) {
    std::string text = "` " + std::to_string(random() % 12) + " ";
    text.resize(text.size() + random() % 400);
    for (std::size_t i = 4; i < text.size(); ++i) text[i] = alphabet[random() % alphabet.size()];
    SplinePath path;
    ::testing::internal::CaptureStdout();
    path_load(path, write_temp_text_file(text).c_str());
    ::testing::internal::GetCapturedStdout();
    ASSERT_EQ(path.points.size(), static_cast<std::size_t>(path.count)) << text;
    for (int i = 0; i < 200; ++i) {
      path_advance(path);
      path_position(path);
      ASSERT_LE(path.segment, std::max(0, path.count - 2)) << text;
    }
  }
}

}  // namespace
