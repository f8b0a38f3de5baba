// The demo: everything lives in the library; this only hands over to it.
#include "shell/demo.h"

int main() { return demo_main(); }
