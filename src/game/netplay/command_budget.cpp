#include "game/netplay/command_budget.h"

bool CCommandBudget::take(std::uint32_t step) {
    if (step != step_) {
        const std::uint32_t gone = step - step_;
        left_ = gone >= BURST ? BURST : left_ + static_cast<int>(gone) * EARNED_PER_STEP;
        if (left_ > BURST)
            left_ = BURST;
        step_ = step;
        at_step_ = 0;
    }
    if (at_step_ >= PER_STEP || left_ <= 0)
        return false;
    ++at_step_;
    --left_;
    return true;
}
