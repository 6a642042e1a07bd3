#pragma once

#include <vector>

#include "game/sim/station_input.h"
#include "general/primitives.h"

// What a trial missile did.
struct flight_outcome {
    bool fired;     // the station had a missile to fire
    bool hit;       // the other station lost shields while it flew
    bool self_hit;  // its own station did
    bool ended;     // it went off, or was taken down, before the trial stopped
    float closest;  // the nearest it came to the other station's body
    int steps;      // logic steps run
};

// On a trial board (see CTrialBoard): the side releases the charge it holds now, and the logic step runs
// until that missile is gone, the match stops, or `max_steps` have run. `path`, when given, receives the
// missile's position after each step.
flight_outcome fly_trial_shot(station_side side, int max_steps, std::vector<CVector>* path = nullptr);

// Whether `p` is still on the board: a pointer, never read through, compared with the list's entries.
// Particles made after it stand behind it, so the search stops early while it lives.
bool still_on_board(const void* p);
