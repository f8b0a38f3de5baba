// Ctrl+C and SIGTERM during a render: the first asks the run to stop at its
// next frame, so that the capture is finished properly; a second Ctrl+C
// ends the program at once.
#pragma once

// Installs the handlers for SIGINT and SIGTERM.
void catch_interrupts();

// The signal that asked the run to stop; 0 while none has.
int interrupting_signal();
