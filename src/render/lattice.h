// The point lattice: a 16 x 16 x 16 cube of grid points, each joined to its
// neighbours along x, y and z, transformed by a view matrix in 16.16 fixed
// point, projected with a fixed focal length and drawn as depth-shaded lines
// added with saturation. No polygons, no depth buffer, no sorting: the
// saturating addition makes the drawing order irrelevant.
//
// Per frame: lattice_reset, lattice_transform with the camera's view matrix,
// lattice_project, lattice_draw_edges.
#pragma once

#include <vector>

#include "data/vector_math.h"
#include "shell/pixels/pixel.h"

constexpr int lattice_side = 16;
constexpr int lattice_row_stride = 16;     // point number step along y
constexpr int lattice_layer_stride = 256;  // point number step along z
constexpr int lattice_point_count = 4096;
// Grid coordinates run over -8..7: point number
// (z + 8) * 256 + (y + 8) * 16 + (x + 8).
constexpr int lattice_grid_min = -8;

// The point arrays of one lattice (or of any figure sharing its layout).
// Built once by lattice_mesh_build; reused every frame.
struct LatticeMesh {
  int vertex_count = 0;
  int vector_count = 0;
  std::vector<IntVector3> rest;        // points as built: grid coordinates
  std::vector<Vector3> rest_vectors;   // direction vectors as built
  std::vector<IntVector3> working;     // after lattice_transform: view space, 16.16
  std::vector<Vector3> working_vectors;
  std::vector<IntVector3> projected;   // screen x, screen y, whole depth; depth -1 behind the viewer
};

// Allocates every array of `mesh` for the given counts, all zero. Negative
// counts count as 0.
void lattice_mesh_build(LatticeMesh& mesh, int vertex_count, int vector_count);

// Sets the grid coordinates of points 0..4,095 (or of as many as `rest`
// holds).
void lattice_fill_grid(std::vector<IntVector3>& rest);

// working = rest, working vectors = rest vectors.
void lattice_reset(LatticeMesh& mesh);

// Transforms the working points in place by rows 0..2 of `view`:
// working = F x (working, 1) with F the matrix in 16.16 (truncated towards
// zero, saturated at the int32 range, NaN as 0), in exact two's-complement
// 32-bit arithmetic. Grid coordinates -8..7 go through product tables built
// once per call; any other coordinate is multiplied directly, to the same
// result.
void lattice_transform(LatticeMesh& mesh, Matrix4 view);

// Projects the working points: for depth z > 0, screen position
// (f * x / z + cx, f * y / z + cy) and whole depth z >> 16 (32-bit wrapping
// products, truncating division); otherwise depth -1 and the screen
// position left as it was.
void lattice_project(LatticeMesh& mesh, int focal, int centre_x, int centre_y);

// Draws the +x, +y and +z edges of every point not on the far faces of the
// cube whose depth and whose neighbour's depth are both in 1..7, in grey
// (8 - depth) * 0x1F1F1F, into the 640 x 480 pixels at `destination`.
// Draws nothing for fewer than 4,096 projected points.
void lattice_draw_edges(const std::vector<IntVector3>& projected, Pixel* destination);

// The grey of an edge starting at depth 1..7: 0xD9D9D9 down to 0x1F1F1F.
constexpr Pixel lattice_colour(int depth) { return static_cast<Pixel>(8 - depth) * 0x1F1F1Fu; }
