#pragma once

#include <cstddef>
#include <vector>

#include "game/sim/global.h"
#include "game/sim/match_clock.h"
#include "game/sim/match_tally.h"
#include "general/particle.h"

// The whole board as a value: every particle in list order with all its fields, both stations, the
// globals the logic step reads or changes, the match clock with its dice, and the match's tally.
// Restoring it gives the board back bit for bit, so its state hash is the one it had when taken.
class CBoardSnapshot {
  public:
    // Trail dots and hit labels change nothing the step reads back (no missile, flare, blast or station
    // looks at them); a planner's trial board can leave them out and stay exact for everything else.
    enum contents { WHOLE_BOARD, WITHOUT_DECORATIONS };
    static CBoardSnapshot take(contents what = WHOLE_BOARD);
    // Takes the live board into this snapshot, reusing its storage: a board saved every step costs no
    // allocation once the saves are warm.
    void take_again(contents what = WHOLE_BOARD);

    // Deletes the particles the board owns now and builds the saved ones again; the fixed bodies (planets,
    // backdrop, shadows, the stations' bodies) are the same objects as before, given their saved values.
    void restore() const;
    // Only the fixed bodies, the stations, the globals and the clock; the particle list is left alone.
    void restore_values() const;

    std::size_t particle_count() const { return bodies.size(); }

  private:
    struct body {
        CParticle* fixed;  // the fixed body this is, or nullptr for one the board owns
        CParticle value;
    };

    CBoardSnapshot() = default;

    std::vector<body> bodies;
    // Copies of the two stations, riding the same bodies and planets; none before start-up made them.
    std::vector<global::CStation> stations;
    int counter = 0;
    int noise_counter = 0;
    int game_state = 0;
    int players = 0;
    int difficulty = 0;
    int opponent = 0;
    match_clock::clock_state clock{};
    CMatchTally tally;
};
