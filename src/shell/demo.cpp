// The demo's entry sequence.
#include "shell/demo.h"

int demo_main() { return 0; }
