#include "game/sim/match_clock.h"

#include <chrono>

namespace match_clock {

namespace {
std::uint32_t current_seed = 0;
std::uint64_t steps = 0;
std::uint64_t draws = 0;
bool seed_fixed = false;
std::uint32_t fixed_seed = 0;
CMatchDice dice;
}  // namespace

std::uint32_t seed_from_clock() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto ns =
        static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
    return static_cast<std::uint32_t>(ns ^ (ns >> 32));
}

void fix_seed(std::uint32_t seed) {
    seed_fixed = true;
    fixed_seed = seed;
}

void seeds_from_clock() {
    seed_fixed = false;
}

std::uint32_t next_seed() {
    return seed_fixed ? fixed_seed : seed_from_clock();
}

void begin(std::uint32_t seed) {
    current_seed = seed;
    steps = 0;
    draws = 0;
    dice.reseed(seed);
}

std::uint32_t seed() {
    return current_seed;
}

std::uint64_t step() {
    return steps;
}

void count_step() {
    ++steps;
}

int roll() {
    ++draws;
    return dice.next();
}

std::uint64_t rolls() {
    return draws;
}

clock_state save() {
    return {current_seed, steps, draws, dice};
}

void restore(const clock_state& state) {
    current_seed = state.seed;
    steps = state.steps;
    draws = state.draws;
    dice = state.dice;
}

}  // namespace match_clock
