#pragma once

#include <cstddef>
#include <vector>

#include "game/sim/rules.h"
#include "general/primitives.h"

// What each side's missiles and flares did in one match, read off the board after every step. Missiles
// have no owner on the board, so the tally follows each one from the station it left.
struct side_tally {
    int shots = 0;
    int hits = 0;       // on the other station
    int self_hits = 0;  // its own missile came back
    int flares = 0;
    int intercepts = 0;              // its flares that caught a missile
    int hits_taken_with_flares = 0;  // missiles that hit it while it had flares left
};

class CMatchTally {
  public:
    side_tally sides[2];  // blue, red
    int steps = 0;        // the steps the match ran

    // After each step the match ran; the step's events are global::events from `first_event` on.
    void after_step(std::size_t first_event = 0);

  private:
    // The stations' stocks when last looked at: a station's stock falls only by firing and rises only
    // by a refill, which the step announces, so a shot made between steps needs no event of its own.
    struct stock {
        int missiles;
        int flares;
    };
    stock seen[2] = {{FULL_MISSILES, FULL_FLARES}, {FULL_MISSILES, FULL_FLARES}};
    // Each body followed by where it was, not by its address: a board put back (a rollback, a jump in a
    // recording) builds its particles again, and the tally kept with it carries on.
    struct tracked {
        CVector pos;
        int owner;
        bool flare;
    };
    std::vector<tracked> flying;
};

namespace global {
// The match on the board: fed by whoever runs its steps, cleared with it by restart(), kept and put back
// with it by CBoardSnapshot.
extern CMatchTally tally;
}  // namespace global
