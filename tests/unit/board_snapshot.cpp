#include "game/sim/board_snapshot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <vector>

#include "game/netplay/netplay.h"
#include "game/replay/replay_verify.h"
#include "game/sim/board.h"
#include "game/sim/board_ring.h"
#include "game/sim/events.h"
#include "game/sim/global.h"
#include "game/sim/logic.h"
#include "game/sim/state_hash.h"
#include "game/sim/station_input.h"
#include "game/sim/trial_board.h"

namespace {

// Single-player play against the classic computer, which rolls the match dice, with the blue station
// turning, charging and throwing flares on a pattern drawn from the seed.
void play(std::uint32_t seed, int steps) {
    for (int i = 0; i < steps; ++i) {
        const std::uint32_t k = (seed * 2654435761u + static_cast<std::uint32_t>(i)) % 211;
        if (k < STATION_COMMANDS - 1)
            apply_station_command(BLUE_STATION, static_cast<station_command>(k));
        program_logic();
        match_clock::count_step();
    }
}

void begin(std::uint32_t seed) {
    build_board_without_window();
    restart();
    global::players = global::SINGLE;
    global::difficulty = global::HARD;
    global::game_state = global::ON;
    match_clock::begin(seed);
    global::events.clear();
}

TEST(BoardSnapshot, RestoredBoardsHashAsTakenAndPlayOnAlike) {
    for (std::uint32_t seed = 1; seed <= 6; ++seed) {
        begin(seed);
        play(seed, 400 + 150 * static_cast<int>(seed));
        const std::uint64_t taken = state_hash();
        const std::size_t count = particles.size();
        const CBoardSnapshot snapshot = CBoardSnapshot::take();
        play(seed + 100, 700);
        const std::uint64_t played_on = state_hash();
        ASSERT_NE(played_on, taken);
        snapshot.restore();
        EXPECT_EQ(state_hash(), taken) << "seed " << seed;
        EXPECT_EQ(particles.size(), count);
        // The dice and every particle are back: the same play from here gives the same board.
        play(seed + 100, 700);
        EXPECT_EQ(state_hash(), played_on) << "seed " << seed;
    }
    restart();
}

TEST(BoardSnapshot, FixedBodiesStayTheSameObjects) {
    begin(3);
    play(3, 300);
    std::vector<const CParticle*> fixed;
    for (const CParticle* p : particles)
        if (p->type != global::TRACE && p->type != global::ROCKET && p->type != global::FLARE &&
            p->type != global::EXP && p->type != global::SIGN)
            fixed.push_back(p);
    const CBoardSnapshot snapshot = CBoardSnapshot::take();
    play(4, 300);
    snapshot.restore();
    std::vector<const CParticle*> after;
    for (const CParticle* p : particles)
        if (p->type != global::TRACE && p->type != global::ROCKET && p->type != global::FLARE &&
            p->type != global::EXP && p->type != global::SIGN)
            after.push_back(p);
    EXPECT_EQ(after, fixed);
    for (const global::CStation* s : {global::station1, global::station2})
        EXPECT_NE(std::find(after.begin(), after.end(), s->particle), after.end())
            << "stations keep their bodies";
    restart();
}

// Both stations' commands drawn at random, as two players' might be, for the step about to run; applied
// to the board unless only the dice are to move on.
void random_commands(std::mt19937& dice, bool apply = true) {
    for (station_side side : {BLUE_STATION, RED_STATION}) {
        if (std::uniform_int_distribution<int>(0, 24)(dice) != 0)
            continue;
        const auto c = static_cast<station_command>(std::uniform_int_distribution<int>(0, CMD_FLARE)(dice));
        if (apply)
            apply_station_command(side, c);
    }
}

TEST(BoardRing, EveryStepRunAgainFromItsSavedBoardAndRollbacksPlayAlike) {
    // Every step saved, run, brought back and run again with the same commands; every 37 steps the
    // board goes 12 steps back and runs them again. Any field a save misses shows as another hash.
    for (std::uint32_t seed = 20; seed < 23; ++seed) {
        begin(seed);
        CBoardRing ring(CNetSession::ROLLBACK_REACH + 1);
        std::map<std::uint32_t, std::uint64_t> hashes;  // after each step
        std::mt19937 dice(seed);
        const std::size_t undeleted = CParticle::undeleted();
        int differing = 0, rollbacks = 0;
        for (std::uint32_t step = 0; step < 2000 && differing == 0; ++step) {
            ring.save(step);
            const std::mt19937 before = dice;
            random_commands(dice);
            program_logic();
            const std::uint64_t once = state_hash();
            ASSERT_TRUE(ring.restore(step));
            dice = before;
            random_commands(dice);
            program_logic();
            differing += state_hash() != once;
            hashes[step] = once;
            if (step % 37 == 36 && step >= 12) {
                // Back 12 steps: the commands drawn again from the dice as they were there.
                const std::uint32_t from = step - 11;
                ASSERT_TRUE(ring.restore(from));
                std::mt19937 again(seed);
                std::uint32_t s = 0;
                for (; s < from; ++s)
                    random_commands(again, false);
                for (; s <= step; ++s) {
                    ring.save(s);
                    random_commands(again);
                    program_logic();
                    differing += state_hash() != hashes[s];
                }
                ++rollbacks;
            }
            global::events.clear();
        }
        EXPECT_EQ(differing, 0) << "seed " << seed;
        EXPECT_GT(rollbacks, 40);
        EXPECT_FALSE(ring.restore(0)) << "step 0 is long out of the ring";
        restart();
        EXPECT_LE(CParticle::undeleted(), undeleted) << "nothing leaked by going back";
    }
}

TEST(TrialBoard, LeavesTheLiveBoardAsItWas) {
    for (std::uint32_t seed = 10; seed < 14; ++seed) {
        begin(seed);
        play(seed, 900);
        record_event(EVENT_MENU_BUTTON);
        const std::uint64_t before = state_hash();
        const std::vector<CParticle*> list(particles.begin(), particles.end());
        const std::size_t undeleted = CParticle::undeleted();
        const std::size_t events = global::events.size();
        {
            CTrialBoard trial;
            EXPECT_LT(particles.size(), list.size()) << "no trail dots on the trial board";
            play(seed + 1, 500);
            apply_station_command(RED_STATION, CMD_FLARE);
            play(seed + 2, 50);
        }
        EXPECT_EQ(state_hash(), before);
        EXPECT_EQ(std::vector<CParticle*>(particles.begin(), particles.end()), list);
        EXPECT_EQ(CParticle::undeleted(), undeleted);
        EXPECT_EQ(global::events.size(), events);
    }
    restart();
}

}  // namespace
