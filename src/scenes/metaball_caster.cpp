// The coarse grid, its wire mesh and the block shading of the blobby scene.
#include "scenes/metaball_caster.h"

#include "render/line_draw.h"
#include "shell/pixels/screen_buffer.h"

namespace {

constexpr int grid_focal_depth = 256;                        // the targets' distance in front of the eye
constexpr int unit = 2;                                      // grid-pixels per shaded unit, each way
constexpr int units_per_block = metaball_block_size / unit;  // 8
constexpr int wire_spacing = 2 * metaball_block_size;        // 32 screen pixels between wire points
constexpr int wire_raise = 60;
constexpr Pixel wire_colour = 0xFFFFFF;

struct GridStep {
  int dr, dc;
};

// Wire neighbours, drawn in this order: up, down, left, right, up-left,
// up-right, down-left, down-right.
constexpr GridStep wire_neighbours[] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}, {-1, -1}, {-1, 1}, {1, -1}, {1, 1}};

// A block beside a hit grid entry: its offset from the entry, and its other
// three corners relative to the entry.
struct BlockVisit {
  GridStep block;
  GridStep corners[3];
};

// Visiting order around a hit entry: up-right, up-left, down-left, down-right.
constexpr BlockVisit block_visits[] = {
    {{-1, 0}, {{-1, 0}, {0, 1}, {-1, 1}}},
    {{-1, -1}, {{-1, 0}, {0, -1}, {-1, -1}}},
    {{0, -1}, {{1, 0}, {0, -1}, {1, -1}}},
    {{0, 0}, {{1, 0}, {0, 1}, {1, 1}}},
};

constexpr int grid_pixel_width = screen_width;                               // 640
constexpr int grid_pixel_height = metaball_grid_rows * metaball_block_size;  // 240

// Whether the block at (x0, y0) lies wholly within the grid-pixels, and so
// its pixels within the screen.
bool block_inside_grid(int x0, int y0) {
  return x0 >= 0 && x0 <= grid_pixel_width - metaball_block_size && y0 >= 0 &&
         y0 <= grid_pixel_height - metaball_block_size;
}

// One shaded unit: grid-pixels (x, y) to (x + 1, y + 1), on screen 120 lower.
void put_unit(Pixel* destination, int x, int y, Pixel colour) {
  Pixel* top = destination + (y + metaball_band_top) * screen_width + x;
  top[0] = colour;
  top[1] = colour;
  top[screen_width] = colour;
  top[screen_width + 1] = colour;
}

void fill_block(MetaballCaster& caster, int block_row, int block_column, const Vector3& eye, bool all_corners_hit,
                Pixel* destination) {
  const int x0 = block_column * metaball_block_size;
  const int y0 = block_row * metaball_block_size;
  if (all_corners_hit) {
    metaball_fill_block_blended(caster.field, x0, y0, eye, destination);
  } else {
    metaball_fill_block_marched(caster.field, x0, y0, eye, destination);
  }
}

// Fills the not yet filled blocks around hit entry (r, c), 1 <= r <= 13 and
// 1 <= c <= 38, so every visited block lies in the grid.
void shade_blocks_around(MetaballCaster& caster, int r, int c, const Vector3& eye, Pixel* destination) {
  for (const BlockVisit& visit : block_visits) {
    const int block_row = r + visit.block.dr;
    const int block_column = c + visit.block.dc;
    bool& filled = caster.block_filled[block_row][block_column];
    if (filled) continue;
    bool all_corners_hit = true;
    for (const GridStep& corner : visit.corners) {
      all_corners_hit = all_corners_hit && metaball_grid_hit(caster, r + corner.dr, c + corner.dc);
    }
    fill_block(caster, block_row, block_column, eye, all_corners_hit, destination);
    filled = true;
  }
}

}  // namespace

Vector3 metaball_grid_target(int x, int y) {
  return {static_cast<double>(x - screen_width / 2), static_cast<double>(y - metaball_band_top),
          -static_cast<double>(grid_focal_depth)};
}

bool metaball_grid_hit(const MetaballCaster& caster, int r, int c) {
  if (r < 0 || r >= metaball_grid_rows || c < 0 || c >= metaball_grid_columns) return false;
  return caster.hit_grid[r][c].z != 0.0;
}

void metaball_cast_grid(MetaballCaster& caster, const Vector3& eye) {
  for (int r = 0; r < metaball_grid_rows; ++r) {
    for (int c = 0; c < metaball_grid_columns; ++c) {
      const Vector3 target = metaball_grid_target(c * metaball_block_size, r * metaball_block_size);
      // All three tests are made: metaball_march_grid_ray reads what
      // they store.
      bool all_spheres_hit = true;
      for (MetaballBlob& blob : caster.field.blobs)
        all_spheres_hit = metaball_sphere_test(eye, target, blob) && all_spheres_hit;
      caster.hit_grid[r][c] = all_spheres_hit ? metaball_march_grid_ray(caster.field, eye, target) : Vector3{};
    }
  }
}

void metaball_draw_grid_wire(const MetaballCaster& caster, Pixel* destination) {
  for (int r = 1; r < metaball_grid_rows; ++r) {
    for (int c = 1; c < metaball_grid_columns - 1; ++c) {
      if (!metaball_grid_hit(caster, r, c)) continue;
      // Twice the grid point's distance from the screen centre, raised.
      const double x = wire_spacing * c - screen_width / 2;
      const double y = wire_spacing * r - wire_raise;
      for (const GridStep& step : wire_neighbours) {
        if (!metaball_grid_hit(caster, r + step.dr, c + step.dc)) continue;
        draw_line_add(x, y, x + wire_spacing * step.dc, y + wire_spacing * step.dr, wire_colour, destination);
      }
    }
  }
}

void metaball_shade_blocks(MetaballCaster& caster, const Vector3& eye, Pixel* destination) {
  for (auto& row : caster.block_filled) row.fill(false);
  // Entries on the grid's border are never visited, only read as corners.
  for (int r = 1; r < metaball_grid_rows - 1; ++r) {
    for (int c = 1; c < metaball_grid_columns - 1; ++c) {
      if (metaball_grid_hit(caster, r, c)) shade_blocks_around(caster, r, c, eye, destination);
    }
  }
}

void metaball_fill_block_marched(MetaballField& field, int x0, int y0, const Vector3& eye, Pixel* destination) {
  if (!block_inside_grid(x0, y0)) return;
  for (int y = y0; y < y0 + metaball_block_size; y += unit) {
    for (int x = x0; x < x0 + metaball_block_size; x += unit) {
      put_unit(destination, x, y, metaball_march_pixel(field, eye, metaball_grid_target(x, y)));
    }
  }
}

void metaball_fill_block_blended(MetaballField& field, int x0, int y0, const Vector3& eye, Pixel* destination) {
  if (!block_inside_grid(x0, y0)) return;
  const int x1 = x0 + metaball_block_size;
  const int y1 = y0 + metaball_block_size;
  std::array<Vector3, 4> corners;
  corners[0] = metaball_march_normal(field, eye, metaball_grid_target(x0, y0));
  corners[1] = metaball_march_normal(field, eye, metaball_grid_target(x1, y0));
  corners[2] = metaball_march_normal(field, eye, metaball_grid_target(x0, y1));
  corners[3] = metaball_march_normal(field, eye, metaball_grid_target(x1, y1));
  metaball_blend_block_normals(corners, field.lights, x0, y0, destination);
}

void metaball_blend_block_normals(const std::array<Vector3, 4>& corners, const std::array<Vector3, 3>& lights, int x0,
                                  int y0, Pixel* destination) {
  if (!block_inside_grid(x0, y0)) return;
  const double steps = metaball_block_size;  // per grid-pixel
  Vector3 left = corners[0];
  Vector3 right = corners[1];
  const Vector3 left_step = vec_div(vec_sub(corners[2], corners[0]), steps);
  const Vector3 right_step = vec_div(vec_sub(corners[3], corners[1]), steps);
  for (int row = 0; row < units_per_block; ++row) {
    const Vector3 across_step = vec_div(vec_sub(right, left), steps);
    Vector3 n = left;
    for (int column = 0; column < units_per_block; ++column) {
      put_unit(destination, x0 + unit * column, y0 + unit * row, metaball_shade_normal(lights, n));
      n = vec_add(vec_add(n, across_step), across_step);
    }
    left = vec_add(vec_add(left, left_step), left_step);
    right = vec_add(vec_add(right, right_step), right_step);
  }
}
