// Error messages for the user: a message box where a display exists, the
// text on standard error where none does, so an unattended run never waits
// on a box nobody can dismiss.
#pragma once

#include "shell/platform/native_window.h"

// Shows `text` under the caption "Error", owned by `owner`. Without an owner
// window or without a working display, writes "Error: <text>" to standard
// error instead. Returns when the user has dismissed the box.
void show_error_box(ptc::NativeWindow* owner, const char* text);

// For an error that ends the program: writes "Error: <text>" to standard
// error, and where a real display is up also shows it in a box with no owner
// (the window may be gone by then). Returns when the box is dismissed.
void report_fatal_error(const char* text);
