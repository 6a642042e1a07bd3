#pragma once

#include <cstdint>

#include "game/sim/match_dice.h"

// The match's own clock and dice: the logic steps run since the match began, and a generator that draws
// as the C library's rand() would, seeded at its start with a value that is kept, so that the match can be
// run again step for step. Only the code that starts a match reads the wall clock; the logic step never does.
namespace match_clock {

// A seed for a new match, from the wall clock.
std::uint32_t seed_from_clock();
// Where new matches take their seed: the wall clock, unless one is fixed (both ends of a network match
// take the same one) until seeds_from_clock().
void fix_seed(std::uint32_t seed);
void seeds_from_clock();
std::uint32_t next_seed();
// Seeds the generator and counts from step 0.
void begin(std::uint32_t seed);
std::uint32_t seed();

// Logic steps run since begin(); the step a command is recorded with is the one it precedes.
std::uint64_t step();
void count_step();

// The computer player's dice: the seeded generator's next draw, with the draws counted so that the state
// hash covers the generator's position.
int roll();
std::uint64_t rolls();

// Everything above as a value, for a board that is saved and put back.
struct clock_state {
    std::uint32_t seed;
    std::uint64_t steps;
    std::uint64_t draws;
    CMatchDice dice;
};
clock_state save();
void restore(const clock_state& state);

}  // namespace match_clock
