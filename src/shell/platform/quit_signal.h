// SIGINT and SIGTERM as requests to end the run. The handlers only record
// which signal came; the program asks between frames and ends the run on
// its own path, so that what it writes or shows is finished properly.
//
// The SDL console turns every such signal into a quit request (ptc_sdl.h).
// The headless renderer finishes its capture after the first, and lets a
// second Ctrl+C end it at once.
#pragma once

// What a further signal of a kind already received does.
enum class RepeatedQuitSignal {
  recorded,      // it is recorded like the first
  ends_program,  // the signal's default action: the program ends at once
};

// Installs the handlers for SIGINT and SIGTERM and forgets any signal
// received so far. Installations nest: the first replaces the handlers that
// were there and chooses what a repeated signal does; the matching last
// restore_quit_signal_handlers() puts the replaced handlers back.
void install_quit_signal_handlers(RepeatedQuitSignal repeated);
void restore_quit_signal_handlers();

// The signal last received since the handlers were installed: SIGINT or
// SIGTERM, 0 while none has come.
int received_quit_signal();
