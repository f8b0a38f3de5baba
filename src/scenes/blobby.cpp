// The blobby scene. Stands in place until the scene arrives: it shows no frame,
// and its run keeps the key rule's reading points.
#include "scenes/blobby.h"

void blobby_init(const SharedPictures&) {}

void blobby_run(const SceneContext& context) {
  consume_waiting_key(context.console);  // end of the run
}
