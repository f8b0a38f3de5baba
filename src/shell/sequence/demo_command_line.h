// quorvane's command line: how the display opens and whether the music
// plays, on top of the build-time switches, plus --help and --version.
#pragma once

#include <optional>

#include "shell/sequence/sequence.h"

// Parses the options into `options`, which holds the build's defaults.
// Returns the exit status when the program should end without playing: 0
// after --help (the help on standard output) or --version, 2 after an unknown
// option, a stray argument or options that contradict each other (the reason
// and the usage on standard error). Opens no display.
std::optional<int> parse_demo_command_line(int argc, const char* const* argv, DemoOptions& options);
