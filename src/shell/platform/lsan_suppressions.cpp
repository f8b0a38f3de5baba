// LeakSanitizer's suppressions, which it asks each program for: leaks inside
// system libraries that SDL loads, not ours. SDL video (and SDL audio, where
// its driver talks to a sound server) opens a D-Bus connection, and libdbus
// keeps its global state until dbus_shutdown(), which SDL 2.26 never calls.
//
// Every program that links the platform layer, and so may start SDL,
// compiles this file itself (src/CMakeLists.txt): as a member of the static
// library it would be left out, since nothing refers to it.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }
