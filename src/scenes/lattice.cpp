// The lattice scene. Stands in place until the scene arrives: it shows no frame,
// and its run keeps the key rule's reading points.
#include "scenes/lattice.h"

void lattice_init(const SharedPictures&) {}

void lattice_run(const SceneContext& context) {
  consume_waiting_key(context.console);  // between the opening and the main part
  consume_waiting_key(context.console);  // end of the run
}
