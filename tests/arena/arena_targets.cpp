// The computer's levels against the arena's scripted people and against each other, at 20 matches a
// pairing from seed 1 (the first 20 of the table bench/arena_targets.py makes from 200). The bounds
// are the targets loosened for so few matches: wide enough that a change of a match or two does not
// fail them, narrow enough that a level that stops missing, stops losing or starts hitting itself does.
#include <gtest/gtest.h>

#include "arena_series.h"
#include "game/sim/global.h"

namespace {

constexpr int MATCHES = 20;

arena_totals play(arena_player blue, arena_player red) {
    arena_options o;
    o.blue = blue;
    o.red = red;
    o.matches = MATCHES;
    o.seed = 1;
    return play_arena_series(o);
}

const arena_player IDLE{ARENA_IDLE, 0};
const arena_player NEWCOMER{ARENA_NEWCOMER, 0};
const arena_player CLASSIC_HARD{ARENA_CLASSIC, global::HARD};
arena_player gunner(int level) {
    return {ARENA_GUNNER, level};
}

double percent(int part, int whole) {
    return whole > 0 ? 100.0 * part / whole : 0.0;
}

// The gunner on red, as in single-player play against a person on blue. Against an idle station only
// its own missiles could hit it: at most 1 % of its shots (kept as it is, no loosening: none did in
// these matches). Hard still misses, as a strong player does (55 to 75 %; here 50 to 80 %).
TEST(ArenaTargets, AgainstAnIdleStationNoLevelHitsItselfAndHardStillMisses) {
    for (int level : {global::EASY, global::MEDIUM, global::HARD}) {
        const arena_side_totals g = play(IDLE, gunner(level)).sides[1];
        EXPECT_GT(g.sum.shots, 100) << "level " << level;
        EXPECT_LE(percent(g.sum.self_hits, g.sum.shots), 1.0) << "level " << level;
        if (level == global::HARD) {
            EXPECT_GE(percent(g.sum.hits, g.sum.shots), 50.0);
            EXPECT_LE(percent(g.sum.hits, g.sum.shots), 80.0);
        }
    }
}

// A person on their first day: Easy loses at least 40 % (here 25 %), Medium wins 70 to 90 % (here 55
// to 95 %: the newcomer wins one at least), Hard wins at least 95 % (here 90 %).
TEST(ArenaTargets, TheNewcomerHasAChanceAgainstEasyAndMediumAndNoneAgainstHard) {
    const arena_totals easy = play(NEWCOMER, gunner(global::EASY));
    EXPECT_GE(percent(easy.sides[1].losses, MATCHES), 25.0);
    EXPECT_LE(percent(easy.sides[1].sum.self_hits, easy.sides[1].sum.shots), 1.0);
    const arena_totals medium = play(NEWCOMER, gunner(global::MEDIUM));
    EXPECT_GE(percent(medium.sides[1].wins, MATCHES), 55.0);
    EXPECT_LE(percent(medium.sides[1].wins, MATCHES), 95.0);
    const arena_totals hard = play(NEWCOMER, gunner(global::HARD));
    EXPECT_GE(percent(hard.sides[1].wins, MATCHES), 90.0);
}

// Each level beats the one below it, and Hard the fixed table's Hard, in at least 75 % of matches (here
// 60 %); the table's Hard also on its own side, red, with the gunner on blue.
TEST(ArenaTargets, EachLevelBeatsTheOneBelow) {
    EXPECT_GE(percent(play(CLASSIC_HARD, gunner(global::HARD)).sides[1].wins, MATCHES), 60.0);
    EXPECT_GE(percent(play(gunner(global::HARD), CLASSIC_HARD).sides[0].wins, MATCHES), 60.0);
    EXPECT_GE(percent(play(gunner(global::MEDIUM), gunner(global::HARD)).sides[1].wins, MATCHES), 60.0);
    EXPECT_GE(percent(play(gunner(global::EASY), gunner(global::MEDIUM)).sides[1].wins, MATCHES), 60.0);
}

}  // namespace
