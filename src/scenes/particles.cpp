// The particles scene. Stands in place until the scene arrives: it shows no frame,
// and its run keeps the key rule's reading points.
#include "scenes/particles.h"

void particles_init(const SharedPictures&) {}

void particles_prepare() {}

void particles_run(const SceneContext& context) {
  consume_waiting_key(context.console);  // between the two phases
  consume_waiting_key(context.console);  // end of the run
}
