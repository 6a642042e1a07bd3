#pragma once

#include <vector>

#include "general/particle.h"

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

    // After each logic step; `events` are the step's events.
    void after_step();

  private:
    struct tracked {
        const CParticle* body;
        CVector pos;
        int owner;
        bool flare;
    };
    std::vector<tracked> flying;
};
