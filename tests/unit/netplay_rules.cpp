// The rules one side of a lockstep match holds the other to, each on its own: the command budget, the
// order of acknowledgements and commands, the checkpoint reports.
#include <gtest/gtest.h>

#include <cstdint>

#include "game/netplay/ack_order.h"
#include "game/netplay/command_budget.h"
#include "game/netplay/hash_check.h"

namespace {

// How many of `count` commands at each of `steps` steps from `first` the budget takes.
int taken(CCommandBudget& b, std::uint32_t first, int steps, int count) {
    int n = 0;
    for (int s = 0; s < steps; ++s)
        for (int i = 0; i < count; ++i)
            n += b.take(first + static_cast<std::uint32_t>(s));
    return n;
}

}  // namespace

TEST(NetplayRules, TheCommandBudgetCapsAStepAndTheRateAndRefillsWithSteps) {
    CCommandBudget b;
    EXPECT_EQ(taken(b, 10, 1, 100), CCommandBudget::PER_STEP);
    // The next step has its own cap, but the burst has been drawn on; what steps 11 to 21 earn is added.
    EXPECT_EQ(taken(b, 11, 1, 100), CCommandBudget::PER_STEP);
    EXPECT_EQ(taken(b, 12, 10, 64),
              CCommandBudget::BURST - 2 * CCommandBudget::PER_STEP + 11 * CCommandBudget::EARNED_PER_STEP);
    // Spent: only what the steps earn.
    EXPECT_EQ(taken(b, 22, 100, 3), 100 * CCommandBudget::EARNED_PER_STEP);
    // A long quiet spell earns the whole burst back, and no more.
    EXPECT_EQ(taken(b, 100000, 5, 64), CCommandBudget::BURST + 4 * CCommandBudget::EARNED_PER_STEP);
    // Two a step can go on for ever.
    CCommandBudget steady;
    EXPECT_EQ(taken(steady, 0, 10000, 2), 20000);
}

TEST(NetplayRules, AcknowledgementsNeverRunAheadOfOnesOwnCommands) {
    EXPECT_EQ(CAckOrder::to_send(20, 15), 15u);
    EXPECT_EQ(CAckOrder::to_send(12, 15), 12u);

    CAckOrder order;
    EXPECT_TRUE(order.admits(10, 16, 12));
    EXPECT_FALSE(order.admits(17, 16, UINT32_MAX)) << "knows ours beyond its own final commands";
    EXPECT_TRUE(order.admits(16, 16, UINT32_MAX));
    EXPECT_FALSE(order.admits(16, 20, 15)) << "a command for a step it had said it knew ours for";
    EXPECT_TRUE(order.admits(16, 20, 16));
    // An older message overtaken by a newer one lowers nothing.
    EXPECT_TRUE(order.admits(12, 14, UINT32_MAX));
    EXPECT_FALSE(order.admits(20, 21, 15));
}

TEST(NetplayRules, CheckpointReportsAreComparedRefusedAheadAndAwaitedWithinTheLimit) {
    CHashCheck check;
    EXPECT_EQ(check.theirs(100, 7, 99), CHashCheck::NOT_REACHED);
    // Theirs first, then ours; ours first, then theirs.
    EXPECT_EQ(check.theirs(100, 7, 106), CHashCheck::SAME_SO_FAR);
    EXPECT_EQ(check.ours(100, 7, 1.0), CHashCheck::SAME_SO_FAR);
    EXPECT_FALSE(check.overdue(100.0));
    EXPECT_EQ(check.ours(200, 8, 2.0), CHashCheck::SAME_SO_FAR);
    EXPECT_TRUE(check.taken(200));
    EXPECT_FALSE(check.overdue(2.0 + CHashCheck::LIMIT));
    EXPECT_TRUE(check.overdue(2.1 + CHashCheck::LIMIT));
    EXPECT_EQ(check.theirs(200, 9, 206), CHashCheck::DIFFERENT);
    EXPECT_FALSE(check.overdue(100.0));

    // A report for a step we passed without a check of our own is forgotten, not kept for ever.
    EXPECT_EQ(check.theirs(250, 1, 256), CHashCheck::SAME_SO_FAR);
    check.passed(251);
    EXPECT_EQ(check.ours(250, 2, 3.0), CHashCheck::SAME_SO_FAR);
    EXPECT_TRUE(check.overdue(3.1 + CHashCheck::LIMIT));
}
