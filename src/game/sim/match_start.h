#pragma once

#include <cstdint>

// What a recording needs besides the commands to set a match up again: the board after restart() plus
// the few values restart leaves as they were.
struct match_start {
    int players = 0;
    int difficulty = 0;
    int opponent = 0;  // a global::opponent_kind
    std::uint32_t seed = 0;
    int noise_counter = 0;  // the HUD's noise panel runs on through restarts
    // The stations' bodies stand where the last match left them until the first step moves them.
    float station_x[2] = {0, 0};
    float station_y[2] = {0, 0};
};

// The board as it is now, with the seed the match is about to use.
match_start capture_match_start(std::uint32_t seed);
// Resets the board and puts it in play as the match began: match clock seeded, game on.
void restore_match_start(const match_start& start);
