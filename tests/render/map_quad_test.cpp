// The quad scan converter against the geometry it draws: which pixels a quad
// covers, which texel each takes, and that nothing is read or written
// outside the two tables. The texture holds its own indices, so every
// written entry says which texel was read.
#include "render/map_quad.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "shell/pixels/screen_buffer.h"

namespace {

constexpr std::int32_t unwritten = -1;        // the destination's fill
constexpr std::int32_t outside_texture = -7;  // what the texture's guard entries hold
constexpr int guard_entries = 4096;

// A 640 x 480 table with guard entries on both sides.
struct GuardedTable {
  std::vector<std::int32_t> storage;
  std::int32_t guard_value;

  GuardedTable(std::int32_t fill, std::int32_t guard)
      : storage(screen_pixels + 2 * guard_entries, fill), guard_value(guard) {
    std::fill(storage.begin(), storage.begin() + guard_entries, guard);
    std::fill(storage.end() - guard_entries, storage.end(), guard);
  }
  std::int32_t* table() { return storage.data() + guard_entries; }
  std::int32_t at(int x, int y) const { return storage[guard_entries + y * screen_width + x]; }
  bool guards_intact() const {
    const auto same = [this](std::int32_t v) { return v == guard_value; };
    return std::all_of(storage.begin(), storage.begin() + guard_entries, same) &&
           std::all_of(storage.end() - guard_entries, storage.end(), same);
  }
};

// Every entry its own index: a written entry names the texel read.
GuardedTable identity_texture() {
  GuardedTable texture(0, outside_texture);
  for (int i = 0; i < screen_pixels; ++i) texture.table()[i] = i;
  return texture;
}

// Draws the quad into a fresh destination.
GuardedTable draw(const std::array<QuadCorner, 4>& corners) {
  static GuardedTable texture = identity_texture();
  GuardedTable destination(unwritten, unwritten);
  map_quad(corners, texture.table(), destination.table());
  return destination;
}

long written_entries(const GuardedTable& destination) {
  return std::count_if(destination.storage.begin(), destination.storage.end(), [](std::int32_t v) { return v != unwritten; });
}

std::string corners_text(const std::array<QuadCorner, 4>& corners) {
  std::ostringstream text;
  for (const QuadCorner& c : corners) text << "(" << c.x << ", " << c.y << ")";
  return text.str();
}

// Where the line through pixel row y crosses the convex quad: its leftmost
// and rightmost x. False when it misses.
bool exact_span(const std::array<QuadCorner, 4>& corners, int y, double& left, double& right) {
  left = 1e300;
  right = -1e300;
  for (int k = 0; k < 4; ++k) {
    const QuadCorner& a = corners[k];
    const QuadCorner& b = corners[(k + 1) % 4];
    if (y < std::min(a.y, b.y) || y > std::max(a.y, b.y)) continue;
    if (a.y == b.y) {
      left = std::min({left, double(a.x), double(b.x)});
      right = std::max({right, double(a.x), double(b.x)});
    } else {
      const double x = a.x + double(b.x - a.x) * (y - a.y) / (b.y - a.y);
      left = std::min(left, x);
      right = std::max(right, x);
    }
  }
  return left <= right;
}

// What went wrong, counted, with the first few cases for the message.
struct Findings {
  int count = 0;
  std::string first;
  void add(const std::string& what) {
    if (count++ < 4) first += "\n  " + what;
  }
};

// The affine map of a parallelogram from screen to texture, exactly.
struct InverseAffine {
  QuadCorner origin;
  double a, b, c, d;  // texture (u, v) = M (x - origin.x, y - origin.y)

  InverseAffine(const QuadCorner& o, int e1x, int e1y, int e2x, int e2y) : origin(o) {
    // Screen = origin + (u / 640) e1 + (v / 480) e2; inverted.
    const double det = double(e1x) * e2y - double(e1y) * e2x;
    a = 640.0 * e2y / det;
    b = -640.0 * e2x / det;
    c = -480.0 * e1y / det;
    d = 480.0 * e1x / det;
  }
  double u(int x, int y) const { return a * (x - origin.x) + b * (y - origin.y); }
  double v(int x, int y) const { return c * (x - origin.x) + d * (y - origin.y); }
};

// How far `value` lies from the texel [texel, texel + 1).
double distance_to_texel(double value, int texel) {
  if (value < texel) return texel - value;
  if (value >= texel + 1) return value - (texel + 1);
  return 0.0;
}

// Coverage: the quad's rows top <= y < bottom are drawn from the left edge
// up to the right one; a pixel within one of either edge may go either way,
// one farther inside must be written and one farther outside must not be.
// Every written entry must be a texel of the texture.
Findings check_coverage(const std::array<QuadCorner, 4>& corners, const GuardedTable& destination) {
  Findings findings;
  int top = corners[0].y, bottom = corners[0].y;
  for (const QuadCorner& c : corners) {
    top = std::min(top, c.y);
    bottom = std::max(bottom, c.y);
  }
  for (int y = 0; y < screen_height; ++y) {
    double left = 0, right = 0;
    const bool rows = y >= top && y < bottom && exact_span(corners, y, left, right);
    for (int x = 0; x < screen_width; ++x) {
      const std::int32_t value = destination.at(x, y);
      const auto where = [x, y] { return "(" + std::to_string(x) + ", " + std::to_string(y) + ")"; };
      if (value != unwritten && (value < 0 || value >= screen_pixels)) {
        findings.add(where() + ": holds " + std::to_string(value) + ", not a texel");
      }
      const bool allowed = rows && x >= std::floor(left) - 1 && x <= std::floor(right);
      const bool required = rows && x >= left + 1 && x <= right - 2;
      if (value != unwritten && !allowed) findings.add(where() + ": written outside the quad");
      if (value == unwritten && required) findings.add(where() + ": inside the quad but not written");
    }
  }
  if (!destination.guards_intact()) findings.add("written outside the destination");
  return findings;
}

// Texels farther than `slack` from the affine map, counted.
Findings check_texels(const GuardedTable& destination, const InverseAffine& affine, double u_slack, double v_slack) {
  Findings findings;
  for (int y = 0; y < screen_height; ++y) {
    for (int x = 0; x < screen_width; ++x) {
      const std::int32_t value = destination.at(x, y);
      if (value < 0 || value >= screen_pixels) continue;
      const int texel_u = value % screen_width, texel_v = value / screen_width;
      const double u = affine.u(x, y), v = affine.v(x, y);
      if (distance_to_texel(u, texel_u) > u_slack || distance_to_texel(v, texel_v) > v_slack) {
        std::ostringstream what;
        what << "(" << x << ", " << y << "): texel (" << texel_u << ", " << texel_v << "), expected about (" << u
             << ", " << v << ")";
        findings.add(what.str());
      }
    }
  }
  return findings;
}

// A parallelogram: corner 0 at `origin`, corner 1 at origin + e1, corner 3
// at origin + e2. Its texture mapping is exactly affine.
struct Parallelogram {
  const char* name;
  QuadCorner origin;
  int e1x, e1y, e2x, e2y;

  std::array<QuadCorner, 4> corners() const {
    return {QuadCorner{origin.x, origin.y}, QuadCorner{origin.x + e1x, origin.y + e1y},
            QuadCorner{origin.x + e1x + e2x, origin.y + e1y + e2y}, QuadCorner{origin.x + e2x, origin.y + e2y}};
  }
};

// A square of side `side` about the screen centre, turned by `angle`, its
// corners rounded so that it stays a parallelogram.
Parallelogram turned_square(const char* name, double angle, int side) {
  const int e1x = static_cast<int>(std::lround(side * std::cos(angle)));
  const int e1y = static_cast<int>(std::lround(side * std::sin(angle)));
  const QuadCorner origin{320 - (e1x - e1y) / 2, 240 - (e1y + e1x) / 2};
  return {name, origin, e1x, e1y, -e1y, e1x};
}

TEST(MapQuad, ParallelogramsCoverTheirPixelsWithTheTexelsOfTheirAffineMap) {
  const Parallelogram cases[] = {
      turned_square("square, angle 0", 0.0, 640),
      turned_square("square, angle 0.3", 0.3, 640),
      turned_square("square, angle 0.9", 0.9, 640),
      turned_square("square, a quarter turn", 1.5707963, 640),
      turned_square("square, angle 2.2", 2.2, 640),
      turned_square("square, a half turn", 3.14159, 640),
      turned_square("square, angle -0.6", -0.6, 640),
      turned_square("square, angle -2.8", -2.8, 640),
      turned_square("far larger than the screen", 0.4, 6000),
      {"skewed, off the left", {-50, 30}, 500, 120, -90, 400},
      {"skewed, off the bottom right", {400, 300}, 300, -50, 60, 280},
      {"thin band, smaller than the texture", {100, 20}, 400, 60, -20, 40},
  };
  for (const Parallelogram& p : cases) {
    const std::array<QuadCorner, 4> corners = p.corners();
    const GuardedTable destination = draw(corners);
    const InverseAffine affine(p.origin, p.e1x, p.e1y, p.e2x, p.e2y);
    // Each row starts from its left edge's texel and the start pixel lies
    // up to one pixel left of that edge: one step across of slack.
    const double u_slack = std::fabs(affine.a) + 0.05;
    const double v_slack = std::fabs(affine.c) + 0.05;
    const Findings coverage = check_coverage(corners, destination);
    const Findings texels = check_texels(destination, affine, u_slack, v_slack);
    EXPECT_GT(written_entries(destination), 0) << p.name;
    EXPECT_EQ(coverage.count, 0) << p.name << " " << corners_text(corners) << coverage.first;
    EXPECT_EQ(texels.count, 0) << p.name << " " << corners_text(corners) << texels.first;
  }
}

TEST(MapQuad, TheScenesTurningSquareCoversTheScreenWithoutReadingOutsideTheTexture) {
  // Corners truncated each on its own: not quite a parallelogram. The
  // texels are held to the map through corners 0, 1 and 3 within two
  // texels; a read past a texture row's end would land 640 away.
  for (double angle : {0.05, 0.7, 1.2, 1.5708, 2.0, 2.9, -0.35, -1.5708, -2.6}) {
    std::array<QuadCorner, 4> corners{};
    const double c = std::cos(angle), s = std::sin(angle);
    const double offsets[4][2] = {{-320, -320}, {320, -320}, {320, 320}, {-320, 320}};
    for (int k = 0; k < 4; ++k) {
      corners[k] = {static_cast<int>(offsets[k][0] * c - offsets[k][1] * s) + 320,
                    static_cast<int>(offsets[k][0] * s + offsets[k][1] * c) + 240};
    }
    const GuardedTable destination = draw(corners);
    const InverseAffine affine(corners[0], corners[1].x - corners[0].x, corners[1].y - corners[0].y,
                               corners[3].x - corners[0].x, corners[3].y - corners[0].y);
    const Findings coverage = check_coverage(corners, destination);
    EXPECT_EQ(coverage.count, 0) << "angle " << angle << " " << corners_text(corners) << coverage.first;
    const Findings texels = check_texels(destination, affine, 2.0, 2.0);
    EXPECT_EQ(texels.count, 0) << "angle " << angle << " " << corners_text(corners) << texels.first;
  }
}

// Quads of whole texel steps: every covered entry is known exactly.
TEST(MapQuad, AxisAlignedQuadsTakeExactTexels) {
  struct Case {
    const char* name;
    std::array<QuadCorner, 4> corners;
    int x0, y0, x1, y1;          // covered pixels: x0 <= x < x1, y0 <= y < y1
    int u_per_x, v_per_y;        // texels per pixel
    int u_at_x0, v_at_y0;        // texel of the first covered pixel
  };
  const Case cases[] = {
      {"the unturned spin square: rows -80..559 over the screen",
       {{{0, -80}, {640, -80}, {640, 560}, {0, 560}}}, 0, 0, 640, 480, 0, 0, 0, 0},
      {"10 x 10 in the screen", {{{10, 10}, {20, 10}, {20, 20}, {10, 20}}}, 10, 10, 20, 20, 64, 48, 0, 0},
      {"clipped at the top left", {{{-5, -5}, {5, -5}, {5, 5}, {-5, 5}}}, 0, 0, 5, 5, 64, 48, 320, 240},
      {"clipped at the bottom right", {{{635, 475}, {645, 475}, {645, 485}, {635, 485}}}, 635, 475, 640, 480, 64, 48, 0, 0},
  };
  for (const Case& c : cases) {
    const GuardedTable destination = draw(c.corners);
    Findings findings;
    for (int y = 0; y < screen_height; ++y) {
      for (int x = 0; x < screen_width; ++x) {
        const bool covered = x >= c.x0 && x < c.x1 && y >= c.y0 && y < c.y1;
        std::int32_t expected = unwritten;
        if (covered && c.u_per_x == 0) {
          expected = (y + 80) * 3 / 4 * screen_width + x;  // 480 texture rows stretched over 640
        } else if (covered) {
          expected = (c.v_at_y0 + (y - c.y0) * c.v_per_y) * screen_width + c.u_at_x0 + (x - c.x0) * c.u_per_x;
        }
        const std::int32_t got = destination.at(x, y);
        if (got != expected) {
          findings.add("(" + std::to_string(x) + ", " + std::to_string(y) + "): expected " + std::to_string(expected) +
                       ", got " + std::to_string(got));
        }
      }
    }
    EXPECT_EQ(findings.count, 0) << c.name << findings.first;
  }
}

TEST(MapQuad, AQuadWhosePlaneRunsPastTheTextureClampsItsReadsToTheLastColumn) {
  // A trapezoid wider at the bottom: the plane of its left triangle steps
  // 3.2 texels a pixel, so its wider rows run past column 639 well before
  // their right edge. A row keeps to one texture row (v does not change
  // across it) and ends on the last column.
  const std::array<QuadCorner, 4> corners = {{{200, 100}, {400, 100}, {500, 300}, {100, 300}}};
  const GuardedTable destination = draw(corners);
  Findings findings;
  for (int y = 110; y < 300; ++y) {
    int first_row = -1, last_column = -1;
    for (int x = 0; x < screen_width; ++x) {
      const std::int32_t value = destination.at(x, y);
      if (value == unwritten) continue;
      if (value < 0 || value >= screen_pixels) {
        findings.add("row " + std::to_string(y) + ": " + std::to_string(value) + " is not a texel");
        continue;
      }
      if (first_row < 0) first_row = value / screen_width;
      if (value / screen_width != first_row) {
        findings.add("row " + std::to_string(y) + ", x " + std::to_string(x) + ": texture row " +
                     std::to_string(value / screen_width) + ", the row started on " + std::to_string(first_row));
      }
      last_column = value % screen_width;
    }
    if (last_column != screen_width - 1) {
      findings.add("row " + std::to_string(y) + " ends on column " + std::to_string(last_column) + ", expected 639");
    }
  }
  EXPECT_EQ(findings.count, 0) << findings.first;
}

TEST(MapQuad, QuadsWithNoAreaOrOffTheScreenOrBeyondTheLimitDrawNothing) {
  const struct {
    const char* name;
    std::array<QuadCorner, 4> corners;
  } cases[] = {
      {"all on one row", {{{0, 100}, {300, 100}, {600, 100}, {50, 100}}}},
      {"one point", {{{200, 200}, {200, 200}, {200, 200}, {200, 200}}}},
      {"all on one slanted line", {{{0, 0}, {100, 100}, {200, 200}, {300, 300}}}},
      {"above the screen", {{{0, -600}, {640, -600}, {640, -1}, {0, -1}}}},
      {"below the screen", {{{0, 480}, {640, 480}, {640, 900}, {0, 900}}}},
      {"left of the screen", {{{-400, 0}, {0, 0}, {0, 480}, {-400, 480}}}},
      {"right of the screen", {{{640, 0}, {900, 0}, {900, 480}, {640, 480}}}},
      {"a corner beyond the limit", {{{-20000, 0}, {640, 0}, {640, 480}, {0, 480}}}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(written_entries(draw(c.corners)), 0) << c.name << " " << corners_text(c.corners);
  }
}

}  // namespace
