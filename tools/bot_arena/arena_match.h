#pragma once

#include <cstdint>

#include "arena_options.h"
#include "game/sim/match_tally.h"

struct arena_result {
    int winner;  // 0 blue, 1 red, -1 a draw (both gone, or the step limit)
    int steps;
    CMatchTally tally;
};

// One match on the board from a fresh restart, seeded with `seed`.
arena_result play_arena_match(const arena_options& options, std::uint32_t seed);
