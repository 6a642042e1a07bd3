#pragma once

// What one side of a network match may command: no more at one step than local input allows, and over
// time no more than the fastest hands on keys and a pad make. The same budget holds back this side's
// own input and judges the other side's, so that a program of this build is never refused by another.
#include <cstdint>

class CCommandBudget {
  public:
    static constexpr int PER_STEP = 64;
    // Two a step is 200 a second, several times what four fingers hammering four keys make; a burst
    // of a few seconds of that is allowed on top.
    static constexpr int EARNED_PER_STEP = 2;
    static constexpr int BURST = 256;

    // Counts one command for `step` (never below the step of the one before); false, counting nothing,
    // when it goes beyond the budget.
    bool take(std::uint32_t step);

  private:
    std::uint32_t step_ = 0;
    int at_step_ = 0;
    int left_ = BURST;
};
