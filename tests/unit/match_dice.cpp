#include "game/sim/match_dice.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(MatchDice, DrawsWhatTheCLibraryDrawsForTheSameSeed) {
    // Zero (which the library turns into 1), small, and seeds past 2^31 that turn negative inside.
    for (std::uint32_t seed : {0u, 1u, 7u, 12345u, 2147483647u, 2147483648u, 4294967295u}) {
        CMatchDice dice(seed);
        std::srand(seed);
        for (int i = 0; i < 2000; ++i)
            ASSERT_EQ(dice.next(), std::rand()) << "seed " << seed << " draw " << i;
    }
}

TEST(MatchDice, ACopyDrawsOnExactlyAsTheOriginal) {
    CMatchDice dice(99);
    for (int i = 0; i < 45; ++i)
        dice.next();
    CMatchDice copy = dice;
    EXPECT_TRUE(copy == dice);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(copy.next(), dice.next());
    dice.next();
    EXPECT_FALSE(copy == dice);
}

}  // namespace
