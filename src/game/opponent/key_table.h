#pragma once

#include <vector>

#include "game/sim/station_input.h"

// The exact aims and charges a station reaches by holding its keys, read off the real logic step: entry
// k - 1 is the value after k steps held, starting from the aim it has now and from no charge. Called on a
// trial board (see CTrialBoard), which it leaves as it found it.
struct key_table {
    float aim_now;
    std::vector<float> cw;
    std::vector<float> ccw;
    std::vector<float> charge;

    // The aim after `turns` steps with the clockwise key held, or the other one; `turns` 0 is aim_now.
    float aim_after(bool clockwise, int turns) const;
};

key_table read_key_table(station_side side, int turn_steps, int charge_steps);
