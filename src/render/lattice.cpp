// Point lattice: grid, fixed-point transform through product tables,
// projection and edge drawing.
#include "render/lattice.h"

#include <algorithm>
#include <cstdint>

#include "render/line_draw.h"
#include "shell/pixels/fixed_point.h"

namespace {

constexpr int lattice_depth_limit = 8;  // edges join points of depth 1..7

// Rows 0..2 of a view matrix in 16.16.
struct FixedMatrix {
  std::int32_t f[3][4];
};

FixedMatrix fixed_rows(const Matrix4& view) {
  FixedMatrix fixed;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 4; ++c) fixed.f[r][c] = fixed_from_double(view.at(r, c));
  }
  return fixed;
}

// What one coordinate value v contributes through matrix column c to the
// three result rows: v * F(0, c), v * F(1, c), v * F(2, c), as 32-bit
// patterns so that the sums wrap without overflow.
struct ColumnProducts {
  std::uint32_t row[3];
};

ColumnProducts column_products(std::int32_t v, const FixedMatrix& fixed, int c) {
  ColumnProducts p;
  for (int r = 0; r < 3; ++r) p.row[r] = static_cast<std::uint32_t>(wrapping_mul(v, fixed.f[r][c]));
  return p;
}

// Products of every grid coordinate -8..7 with every entry of columns 0..2:
// nine table reads per point instead of nine multiplies.
struct ProductTable {
  ColumnProducts entry[lattice_side][3];  // [v + 8][column]
};

ProductTable product_table(const FixedMatrix& fixed) {
  ProductTable table;
  for (int i = 0; i < lattice_side; ++i) {
    for (int c = 0; c < 3; ++c) table.entry[i][c] = column_products(lattice_grid_min + i, fixed, c);
  }
  return table;
}

// v within -8..7, tested in unsigned arithmetic so that no value overflows.
bool on_grid(std::int32_t v) {
  return static_cast<std::uint32_t>(v) - static_cast<std::uint32_t>(lattice_grid_min) <
         static_cast<std::uint32_t>(lattice_side);
}

IntVector3 sum_columns(const ColumnProducts& x, const ColumnProducts& y, const ColumnProducts& z,
                       const FixedMatrix& fixed) {
  std::int32_t result[3];
  for (int r = 0; r < 3; ++r) {
    result[r] = wrap_to_int32(x.row[r] + y.row[r] + z.row[r] + static_cast<std::uint32_t>(fixed.f[r][3]));
  }
  return {result[0], result[1], result[2]};
}

}  // namespace

void lattice_mesh_build(LatticeMesh& mesh, int vertex_count, int vector_count) {
  mesh.vertex_count = std::max(vertex_count, 0);
  mesh.vector_count = std::max(vector_count, 0);
  mesh.rest.assign(mesh.vertex_count, IntVector3{});
  mesh.working.assign(mesh.vertex_count, IntVector3{});
  mesh.projected.assign(mesh.vertex_count, IntVector3{});
  mesh.rest_vectors.assign(mesh.vector_count, Vector3{});
  mesh.working_vectors.assign(mesh.vector_count, Vector3{});
}

void lattice_fill_grid(std::vector<IntVector3>& rest) {
  const int points = std::min<int>(static_cast<int>(rest.size()), lattice_point_count);
  for (int i = 0; i < points; ++i) {
    const int x = i % lattice_side;
    const int y = i / lattice_row_stride % lattice_side;
    const int z = i / lattice_layer_stride;
    ivec_set(rest[i], x + lattice_grid_min, y + lattice_grid_min, z + lattice_grid_min);
  }
}

void lattice_reset(LatticeMesh& mesh) {
  std::copy_n(mesh.rest.begin(), std::min(mesh.rest.size(), mesh.working.size()), mesh.working.begin());
  std::copy_n(mesh.rest_vectors.begin(), std::min(mesh.rest_vectors.size(), mesh.working_vectors.size()),
              mesh.working_vectors.begin());
}

void lattice_transform(LatticeMesh& mesh, Matrix4 view) {
  const FixedMatrix fixed = fixed_rows(view);
  const ProductTable table = product_table(fixed);
  for (IntVector3& p : mesh.working) {
    if (on_grid(p.x) && on_grid(p.y) && on_grid(p.z)) {
      p = sum_columns(table.entry[p.x - lattice_grid_min][0], table.entry[p.y - lattice_grid_min][1],
                      table.entry[p.z - lattice_grid_min][2], fixed);
    } else {
      p = sum_columns(column_products(p.x, fixed, 0), column_products(p.y, fixed, 1),
                      column_products(p.z, fixed, 2), fixed);
    }
  }
}

void lattice_project(LatticeMesh& mesh, int focal, int centre_x, int centre_y) {
  const std::size_t points = std::min(mesh.working.size(), mesh.projected.size());
  for (std::size_t i = 0; i < points; ++i) {
    const IntVector3& p = mesh.working[i];  // view space, 16.16
    IntVector3& screen = mesh.projected[i];
    if (p.z > 0) {
      screen.x = wrapping_add(wrapping_mul(focal, p.x) / p.z, centre_x);
      screen.y = wrapping_add(wrapping_mul(focal, p.y) / p.z, centre_y);
      screen.z = from_fixed(p.z);  // whole view-space units
    } else {
      screen.z = -1;  // behind the viewer
    }
  }
}

void lattice_draw_edges(const std::vector<IntVector3>& projected, Pixel* destination) {
  if (projected.size() < static_cast<std::size_t>(lattice_point_count)) return;
  const auto visible = [](std::int32_t depth) { return depth > 0 && depth < lattice_depth_limit; };
  constexpr int neighbour_steps[3] = {1, lattice_row_stride, lattice_layer_stride};  // +x, +y, +z
  // Points of the last layer start no edge; point 0 never does either.
  for (int i = 1; i < lattice_point_count - lattice_layer_stride; ++i) {
    const bool last_in_row = i % lattice_row_stride == lattice_side - 1;
    const bool last_row = i % lattice_layer_stride >= lattice_layer_stride - lattice_row_stride;
    if (last_in_row || last_row) continue;
    const IntVector3& from = projected[i];
    if (!visible(from.z)) continue;
    const Pixel colour = lattice_colour(from.z);
    for (const int step : neighbour_steps) {
      const IntVector3& to = projected[i + step];
      if (visible(to.z)) draw_line_add(from.x, from.y, to.x, to.y, colour, destination);
    }
  }
}
