// The quad scan converter: corners sorted top to bottom and split into a
// left and a right chain, edges stepped in 16.16 fixed point in up to three
// bands between the corners' rows, and one texture-stepping loop per row.
#include "render/map_quad.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "shell/pixels/fixed_point.h"
#include "shell/pixels/screen_buffer.h"

namespace {

constexpr int texture_width = screen_width;
constexpr int texture_height = screen_height;

// A corner with its texture position, in pixels and texels.
struct QuadVertex {
  int x, y;
  int u, v;
};

// One side of the quad, from the top vertex to the bottom one, and where
// its current edge has got to at the current row.
struct Chain {
  std::array<QuadVertex, 4> vertices{};
  int count = 0;
  int current = 0;  // the current edge runs from vertices[current] to the next
  // 16.16 at the current row, and their steps per row. The right chain's
  // u and v are stepped too but never read.
  std::int32_t x = 0, u = 0, v = 0;
  std::int32_t dx = 0, du = 0, dv = 0;

  void add(const QuadVertex& vertex) { vertices[count++] = vertex; }
  const QuadVertex& next() const { return vertices[current + 1]; }
  bool at_last_edge() const { return current + 2 >= count; }
};

// The 16.16 change per row along an edge of `rows` (> 0) rows. With the
// corner limit, |to - from| x 65536 fits 32 bits.
std::int32_t edge_step(int from, int to, int rows) {
  return to_fixed(to - from) / rows;
}

// Starts the chain on the edge from vertices[index]. A flat edge spans no
// row, so its steps are never used: it keeps the steps it had.
void start_edge(Chain& chain, int index) {
  chain.current = index;
  const QuadVertex& p = chain.vertices[index];
  const QuadVertex& q = chain.vertices[index + 1];
  chain.x = to_fixed(p.x);
  chain.u = to_fixed(p.u);
  chain.v = to_fixed(p.v);
  const int rows = q.y - p.y;
  if (rows == 0) return;
  chain.dx = edge_step(p.x, q.x, rows);
  chain.du = edge_step(p.u, q.u, rows);
  chain.dv = edge_step(p.v, q.v, rows);
}

// Steps the current edge down `rows` rows. They never pass the edge's end,
// so the values stay between those of its two vertices.
void step_rows(Chain& chain, int rows) {
  chain.x = static_cast<std::int32_t>(chain.x + static_cast<std::int64_t>(chain.dx) * rows);
  chain.u = static_cast<std::int32_t>(chain.u + static_cast<std::int64_t>(chain.du) * rows);
  chain.v = static_cast<std::int32_t>(chain.v + static_cast<std::int64_t>(chain.dv) * rows);
}

// Having reached row `y`, moves on past every vertex the chain has at that
// row, up to its last edge.
void pass_vertices_at(Chain& chain, int y) {
  while (!chain.at_last_edge() && chain.next().y == y) start_edge(chain, chain.current + 1);
}

// Texture steps per pixel across a row, 16.16 in 64 bits.
struct SpanGradient {
  std::int64_t du = 0, dv = 0;
};

// The plane through three vertices; false when they are in line.
bool span_gradient(const QuadVertex& a, const QuadVertex& b, const QuadVertex& c, SpanGradient& gradient) {
  const std::int64_t denominator = std::int64_t{a.x - c.x} * (b.y - c.y) - std::int64_t{b.x - c.x} * (a.y - c.y);
  if (denominator == 0) return false;
  const std::int64_t u_numerator = std::int64_t{a.u - c.u} * (b.y - c.y) - std::int64_t{b.u - c.u} * (a.y - c.y);
  const std::int64_t v_numerator = std::int64_t{a.v - c.v} * (b.y - c.y) - std::int64_t{b.v - c.v} * (a.y - c.y);
  gradient.du = to_fixed(u_numerator) / denominator;
  gradient.dv = to_fixed(v_numerator) / denominator;
  return true;
}

// Texture steps of one row: where its first pixel reads, and the step per pixel.
struct SpanTexels {
  std::int64_t u, v;  // 16.16
  std::int64_t du, dv;
};

// Copies `count` texels along the span into `out`. With `clamp`, each read
// is pulled inside the texture: rounding at the quad's edges reaches column
// 640 and row 480. Without, every read must already lie inside.
template <bool clamp>
void copy_span(SpanTexels span, int count, const std::int32_t* texture, std::int32_t* out) {
  for (int k = 0; k < count; ++k) {
    std::int64_t column = from_fixed(span.u);
    std::int64_t row = from_fixed(span.v);
    if (clamp) {
      column = std::clamp<std::int64_t>(column, 0, texture_width - 1);
      row = std::clamp<std::int64_t>(row, 0, texture_height - 1);
    }
    out[k] = texture[row * texture_width + column];
    span.u += span.du;
    span.v += span.dv;
  }
}

bool inside_texture(std::int64_t u, std::int64_t v) {
  return u >= 0 && u < to_fixed<std::int64_t>(texture_width) && v >= 0 && v < to_fixed<std::int64_t>(texture_height);
}

// One row of the quad at screen row y (0..479).
void draw_row(int y, const Chain& left, const Chain& right, const SpanGradient& gradient, const std::int32_t* texture,
              std::int32_t* destination) {
  const std::int32_t x_left = left.x;
  const std::int32_t x_right = right.x;
  if (x_right <= 0 || x_left >= to_fixed(screen_width)) return;
  const int left_pixel = from_fixed(x_left);  // the floor, also left of the screen
  const int start = x_left < 0 ? 0 : left_pixel;
  const int end = std::min(from_fixed(x_right), screen_width);
  if (start == end) return;
  const int count = std::max(end - start, 1);  // the start pixel is drawn even when the edges have crossed
  const SpanTexels span{left.u + gradient.du * (start - left_pixel), left.v + gradient.dv * (start - left_pixel),
                        gradient.du, gradient.dv};
  std::int32_t* out = destination + y * screen_width + start;
  // Reads move in a straight line: when both ends lie inside the texture,
  // every read between them does, and the row needs no clamp.
  if (inside_texture(span.u, span.v) &&
      inside_texture(span.u + span.du * (count - 1), span.v + span.dv * (count - 1))) {
    copy_span<false>(span, count, texture, out);
  } else {
    copy_span<true>(span, count, texture, out);
  }
}

bool corners_in_range(const std::array<QuadCorner, 4>& corners) {
  return std::all_of(corners.begin(), corners.end(), [](const QuadCorner& c) {
    return std::abs(c.x) <= map_quad_corner_limit && std::abs(c.y) <= map_quad_corner_limit;
  });
}

// The corners with their texture positions, top to bottom.
std::array<QuadVertex, 4> sorted_vertices(const std::array<QuadCorner, 4>& corners) {
  constexpr int texture_u[4] = {0, texture_width, texture_width, 0};
  constexpr int texture_v[4] = {0, 0, texture_height, texture_height};
  std::array<QuadVertex, 4> vertices{};
  for (int k = 0; k < 4; ++k) vertices[k] = {corners[k].x, corners[k].y, texture_u[k], texture_v[k]};
  // Insertion sort: stable, and no temporary buffer as std::stable_sort may take.
  for (int k = 1; k < 4; ++k) {
    for (int j = k; j > 0 && vertices[j].y < vertices[j - 1].y; --j) std::swap(vertices[j], vertices[j - 1]);
  }
  return vertices;
}

// Splits the sorted vertices into the two chains: a middle vertex left of
// the line from top to bottom goes to the left chain. `sorted` spans rows.
void split_chains(const std::array<QuadVertex, 4>& sorted, Chain& left, Chain& right) {
  const QuadVertex& top = sorted[0];
  const QuadVertex& bottom = sorted[3];
  left.add(top);
  right.add(top);
  for (int k = 1; k <= 2; ++k) {
    const QuadVertex& middle = sorted[k];
    const double line_x =
        top.x + static_cast<double>(bottom.x - top.x) * (middle.y - top.y) / static_cast<double>(bottom.y - top.y);
    (middle.x < line_x ? left : right).add(middle);
  }
  left.add(bottom);
  right.add(bottom);
}

// The plane of the left chain's first three vertices; a left chain of only
// its two ends borrows the right chain's next vertex.
bool quad_gradient(const Chain& left, const Chain& right, SpanGradient& gradient) {
  const QuadVertex& third = left.count >= 3 ? left.vertices[2] : right.vertices[1];
  return span_gradient(left.vertices[0], left.vertices[1], third, gradient);
}

}  // namespace

void map_quad(const std::array<QuadCorner, 4>& corners, const std::int32_t* texture, std::int32_t* destination) {
  if (!corners_in_range(corners)) return;
  const std::array<QuadVertex, 4> sorted = sorted_vertices(corners);
  if (sorted[0].y == sorted[3].y) return;  // no height
  Chain left, right;
  split_chains(sorted, left, right);
  SpanGradient gradient;
  if (!quad_gradient(left, right, gradient)) return;
  start_edge(left, 0);
  start_edge(right, 0);

  for (int band = 0; band < 3; ++band) {
    const int top = sorted[band].y;
    const int bottom = sorted[band + 1].y;
    if (top >= screen_height) return;  // this band and all below it are off the screen
    if (top < bottom) {
      const int end = std::min(bottom, screen_height);
      if (end <= 0) {
        step_rows(left, bottom - top);  // wholly above the screen
        step_rows(right, bottom - top);
      } else {
        const int first = std::max(top, 0);
        step_rows(left, first - top);  // the rows above the screen
        step_rows(right, first - top);
        for (int y = first; y < end; ++y) {
          draw_row(y, left, right, gradient, texture, destination);
          step_rows(left, 1);
          step_rows(right, 1);
        }
      }
    }
    pass_vertices_at(left, bottom);
    pass_vertices_at(right, bottom);
  }
}
