#pragma once

#include <cstdint>
#include <string>

#include "game/sim/opponent_kind.h"

// Who plays a side: one of the game's computers, or a scripted person to measure them against.
enum arena_kind {
    ARENA_CLASSIC = global::CLASSIC_OPPONENT,
    ARENA_GUNNER = global::GUNNER_OPPONENT,
    ARENA_IDLE,      // presses nothing
    ARENA_NEWCOMER,  // a person on their first day (newcomer.h)
    ARENA_KINDS
};

// One side of the arena: who, and for the computers at which difficulty (global::EASY, MEDIUM or HARD).
struct arena_player {
    int kind;   // an arena_kind
    int level;  // 0 for a scripted person
};

struct arena_options {
    arena_player blue{1, 2};
    arena_player red{0, 1};
    int matches = 200;
    std::uint32_t seed = 1;
    int max_steps = 60000;  // ten minutes of play: longer counts as a draw
    bool help = false;
};

const char* arena_usage();
// False with `problem` set for an argument it does not understand.
bool parse_arena_options(int argc, char** argv, arena_options& out, std::string& problem);
// "gunner hard", "classic easy", "newcomer".
std::string describe(const arena_player& p);
