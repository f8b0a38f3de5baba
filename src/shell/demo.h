// The demo as main runs it: a real display, data/ beside the program.
#pragma once

// Plays the whole demo; returns 0 on every path.
int demo_main();
