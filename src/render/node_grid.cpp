// The node grid at rest.
#include "render/node_grid.h"

void node_grid_at_rest(NodeGrid& grid) {
  for (int r = 0; r < node_grid_rows; ++r) {
    for (int k = 0; k < node_grid_columns; ++k) {
      grid.x[node_grid_node(r, k)] = to_fixed<std::int64_t>(node_grid_cell * k);
      grid.y[node_grid_node(r, k)] = to_fixed<std::int64_t>(node_grid_cell * r);
    }
  }
}
