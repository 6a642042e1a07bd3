#pragma once

#include <cstdint>

#include "game/sim/match_dice.h"
#include "game/sim/station_input.h"

// A person on their first day, as a yardstick for the computer's levels: every 2 to 3 s it turns its
// aim toward where the other station stands now, give or take up to 0.5 rad and with no thought of the
// planets' pull, holds fire for 0.3 to 1.5 s and lets go. It never throws a flare. It presses keys, so
// a turn takes as long as a person's; its dice are seeded from the match's seed.
class CNewcomer {
  public:
    using key_press = void (*)(station_side side, station_command command);

    CNewcomer(station_side side, std::uint32_t seed);

    // Once before each logic step of a running match.
    void think(key_press press);

  private:
    // A whole number of steps from `low` to `high`, both included.
    int steps_between(int low, int high);
    void decide(key_press press);

    station_side side;
    CMatchDice dice;
    long long now = 0;  // think() calls so far
    long long next_decision;
    long long turn_until = -1;  // the turn key goes up, and fire down, at this count
    long long release_at = -1;
    bool turning_cw = false;
    bool turn_held = false;
};
