#pragma once

#include <cstddef>

#include "game/sim/board_snapshot.h"
#include "general/particle.h"

// One logic step on a trial board, after which the trail dots and hit labels it laid are dropped: nothing
// in the step reads them back, and a long trial would otherwise carry every dot it laid.
void trial_step();

// A board to try things on in place of the live one, for as long as the object lives. The live particles
// are set aside untouched (the list is swapped out whole); the trial starts from the live board without
// its decorations; when the scope ends, the fixed bodies, stations, globals, clock, the traversal cursor
// and the turn's events are as they were and the live particles are back. Run program_logic() and
// apply_station_command() on it: they reach neither the command route, nor its observer, nor the screen.
class CTrialBoard {
  public:
    CTrialBoard();
    ~CTrialBoard();
    CTrialBoard(const CTrialBoard&) = delete;
    CTrialBoard& operator=(const CTrialBoard&) = delete;

    // The board as the trial began.
    const CBoardSnapshot& start() const { return begun; }

  private:
    CBoardSnapshot begun;
    CParticleList live;
    CParticleList::iterator cursor;
    std::size_t events;
};
