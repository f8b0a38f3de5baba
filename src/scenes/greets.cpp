// The greets scene. Stands in place until the scene arrives: it shows no frame,
// and its run keeps the key rule's reading points.
#include "scenes/greets.h"

void greets_init(const SharedPictures&) {}

void greets_prepare() {}

void greets_run(const SceneContext& context) {
  constexpr int phase_count = 6;
  for (int phase = 1; phase <= phase_count; ++phase) {
    consume_waiting_key(context.console);  // after each phase
  }
  consume_waiting_key(context.console);  // end of the run
}
