#pragma once

#include "arena_options.h"
#include "game/sim/match_tally.h"

// One side's results over a series of matches.
struct arena_side_totals {
    int wins = 0, draws = 0, losses = 0;
    side_tally sum;
};

struct arena_totals {
    arena_side_totals sides[2];  // blue, red
    long long steps = 0;
};

// The options' matches, match i seeded options.seed + i, on a board built without a window.
arena_totals play_arena_series(const arena_options& options);
