// The starwarp scene. Stands in place until the scene arrives: it shows no frame,
// and its run keeps the key rule's reading points.
#include "scenes/starwarp.h"

void starwarp_init(const SharedPictures&) {}

void starwarp_run(const SceneContext& context) {
  // A key that ends the warp also ends the spin: nothing is read between them.
  consume_waiting_key(context.console);  // end of the run
}
