// The demo's entry sequence, called by main.
#pragma once

// Plays the whole demo; returns 0 on every path.
int demo_main();
