#pragma once

#include <cstdint>
#include <string>

// One side of the arena: which computer and at which difficulty (global::EASY, MEDIUM or HARD).
struct arena_player {
    int kind;  // a global::opponent_kind
    int level;
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
// "gunner hard", "classic easy".
std::string describe(const arena_player& p);
