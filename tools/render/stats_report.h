// The renderer's statistics as a table and as JSON.
#pragma once

#include <cstdio>
#include <string>

#include "run_stats.h"
#include "shell/platform/frame_rate.h"

// One line per scene, then a totals line over every scene frame.
void print_stats_table(std::FILE* out, const RunStats& stats);

// {"fps": ..., "scenes": [{"name": ..., "first_frame": ..., "frames": ...,
// "mean_ms": ..., "p50_ms": ..., "p99_ms": ..., "max_ms": ...}, ...],
// "total_frames": ...}
std::string stats_json(const FrameRate& rate, const RunStats& stats);
