// The quad scan converter against the geometry it draws: which pixels a quad
// covers, which texel each takes (the texture holds its own indices), and that
// nothing is read or written outside the two tables, between guard entries.
#include "render/map_quad.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "shell/pixels/screen_buffer.h"

namespace {

using Corners = std::array<QuadCorner, 4>;
constexpr std::int32_t unwritten = -1;  // the destination's fill, guards included
constexpr int guard = 4096;             // entries before and after each table
bool written(std::int32_t entry) { return entry != unwritten; }

std::string where(int x, int y) { return "(" + std::to_string(x) + ", " + std::to_string(y) + ")"; }

// Where the quad's row y runs, rows top <= y < bottom: from the leftmost to
// the rightmost crossing of its edges. False for the rows outside.
bool exact_span(const Corners& corners, int y, double& left, double& right) {
  left = 1e300;
  right = -1e300;
  int bottom = corners[0].y;
  for (int k = 0; k < 4; ++k) {
    const QuadCorner& a = corners[k];
    const QuadCorner& b = corners[(k + 1) % 4];
    bottom = std::max(bottom, a.y);
    if (y < std::min(a.y, b.y) || y > std::max(a.y, b.y)) continue;
    const double xa = a.y == b.y ? a.x : a.x + double(b.x - a.x) * (y - a.y) / (b.y - a.y);
    const double xb = a.y == b.y ? b.x : xa;  // a flat edge spans its two corners
    left = std::min({left, xa, xb});
    right = std::max({right, xa, xb});
  }
  return left <= right && y < bottom;
}

// How far `value` lies from the texel [texel, texel + 1).
double distance_to_texel(double value, int texel) { return std::max({0.0, texel - value, value - (texel + 1)}); }

// What is wrong with a drawn quad, counted, with the first few cases. Each
// row is drawn from its left edge up to its right one: a pixel within one of
// an edge may go either way, any other inside must be written and outside
// must not be. Each entry written holds a texel within `slack` texels (< 0:
// one step across, as a row starts up to a pixel left of its edge) of the
// affine map through corners 0, 1 and 3.
std::string check_quad(const Corners& corners, const std::vector<std::int32_t>& destination, double slack) {
  const double e1x = corners[1].x - corners[0].x, e1y = corners[1].y - corners[0].y;
  const double e2x = corners[3].x - corners[0].x, e2y = corners[3].y - corners[0].y;
  const double det = e1x * e2y - e1y * e2x;  // texture (u, v) = M (x - x0, y - y0)
  const double a = 640.0 * e2y / det, b = -640.0 * e2x / det, c = -480.0 * e1y / det, d = 480.0 * e1x / det;
  const double u_slack = slack < 0 ? std::fabs(a) + 0.05 : slack, v_slack = slack < 0 ? std::fabs(c) + 0.05 : slack;
  int count = 0;
  std::string first;
  const auto add = [&](const std::string& what) { first += count++ < 4 ? "\n  " + what : ""; };
  for (int y = 0; y < screen_height; ++y) {
    double left = 0, right = 0;
    const bool rows = exact_span(corners, y, left, right);
    for (int x = 0; x < screen_width; ++x) {
      const std::int32_t value = destination[guard + y * screen_width + x];
      const bool allowed = rows && x >= std::floor(left) - 1 && x <= std::floor(right);
      const bool required = rows && x >= left + 1 && x <= right - 2;
      if (value != unwritten && !allowed) add(where(x, y) + ": written outside the quad");
      if (value == unwritten && required) add(where(x, y) + ": inside the quad but not written");
      if (value == unwritten) continue;  // a read outside the texture shows as texel (-7, 0)
      const double u = a * (x - corners[0].x) + b * (y - corners[0].y), v = c * (x - corners[0].x) + d * (y - corners[0].y);
      if (distance_to_texel(u, value % screen_width) > u_slack || distance_to_texel(v, value / screen_width) > v_slack) {
        add(where(x, y) + ": texel " + where(value % screen_width, value / screen_width) + ", expected about (" +
                     std::to_string(u) + ", " + std::to_string(v) + ")");
      }
    }
  }
  if (std::any_of(destination.begin(), destination.begin() + guard, written) ||
      std::any_of(destination.end() - guard, destination.end(), written)) {
    add("written outside the destination");
  }
  return count == 0 ? "" : std::to_string(count) + " problems:" + first;
}

// A parallelogram: corner 0 at (x, y), corner 1 at (x, y) + e1, corner 3 at
// (x, y) + e2. Its texture mapping is exactly affine.
Corners parallelogram(int x, int y, int e1x, int e1y, int e2x, int e2y) {
  return {{{x, y}, {x + e1x, y + e1y}, {x + e1x + e2x, y + e1y + e2y}, {x + e2x, y + e2y}}};
}

// A square of side `side` about the screen centre, turned by `angle`, its
// corners rounded so that it stays a parallelogram.
Corners turned_square(double angle, int side) {
  const int e1x = static_cast<int>(std::lround(side * std::cos(angle)));
  const int e1y = static_cast<int>(std::lround(side * std::sin(angle)));
  return parallelogram(320 - (e1x - e1y) / 2, 240 - (e1y + e1x) / 2, e1x, e1y, -e1y, e1x);
}

TEST(MapQuad, QuadsCoverTheirPixelsWithTheTexelsOfTheirAffineMapOrDrawNothing) {
  constexpr double nothing = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    std::string name;
    Corners corners;
    double slack;  // as check_quad takes it; NaN: the quad draws nothing
  };
  std::vector<Case> cases = {
      {"far larger than the screen", turned_square(0.4, 6000), -1},
      {"skewed, off the left", parallelogram(-50, 30, 500, 120, -90, 400), -1},
      {"skewed, off the bottom right", parallelogram(400, 300, 300, -50, 60, 280), -1},
      {"thin band, smaller than the texture", parallelogram(100, 20, 400, 60, -20, 40), -1},
      // The starwarp scene's turning square, corners truncated each on its own: not
      // quite a parallelogram. A read past a texture row's end would land 640 away.
      {"the scene's square at angle 0.7", {{{282, -210}, {770, 202}, {358, 690}, {-130, 278}}}, 2.0},
      {"the scene's square at angle 2.0", {{{744, 83}, {477, 664}, {-104, 397}, {163, -184}}}, 2.0},
      {"the scene's square at angle -2.6", {{{429, 679}, {-119, 349}, {211, -199}, {759, 131}}}, 2.0},
      {"all on one row", {{{0, 100}, {300, 100}, {600, 100}, {50, 100}}}, nothing},
      {"one point", {{{200, 200}, {200, 200}, {200, 200}, {200, 200}}}, nothing},
      {"all on one slanted line", {{{0, 0}, {100, 100}, {200, 200}, {300, 300}}}, nothing},
      {"above the screen", {{{0, -600}, {640, -600}, {640, -1}, {0, -1}}}, nothing},
      {"below the screen", {{{0, 480}, {640, 480}, {640, 900}, {0, 900}}}, nothing},
      {"left of the screen", {{{-400, 0}, {0, 0}, {0, 480}, {-400, 480}}}, nothing},
      {"right of the screen", {{{640, 0}, {900, 0}, {900, 480}, {640, 480}}}, nothing},
      {"a corner beyond the limit", {{{-20000, 0}, {640, 0}, {640, 480}, {0, 480}}}, nothing},
  };
  for (double angle : {0.0, 0.3, 0.9, 1.5707963, 2.2, 3.14159, -0.6, -2.8}) {
    cases.push_back({"square, angle " + std::to_string(angle), turned_square(angle, 640), -1});
  }
  std::vector<std::int32_t> texture(screen_pixels + 2 * guard, -7);  // a read past the texture gives -7
  for (int i = 0; i < screen_pixels; ++i) texture[guard + i] = i;
  for (const auto& c : cases) {
    std::vector<std::int32_t> destination(screen_pixels + 2 * guard, unwritten);
    map_quad(c.corners, texture.data() + guard, destination.data() + guard);
    const auto drawn = std::count_if(destination.begin(), destination.end(), written);
    EXPECT_EQ(drawn > 0, !std::isnan(c.slack)) << c.name << ": " << drawn << " entries written";
    EXPECT_EQ(std::isnan(c.slack) ? "" : check_quad(c.corners, destination, c.slack), "") << c.name;
  }
}

}  // namespace
