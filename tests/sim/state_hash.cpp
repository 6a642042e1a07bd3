#include "game/sim/state_hash.h"

#include <cmath>
#include <functional>
#include <vector>

#include "board.h"
#include "game/sim/match_clock.h"
#include "game/sim/station_input.h"

using namespace sim_board;

namespace {

class StateHash : public Board {
  protected:
    // A busy stretch of single-player play: both stations turn and fire, the computer rolls its dice.
    std::vector<std::uint64_t> play(std::uint32_t seed) {
        restart();
        // What restart leaves alone.
        global::game_state = global::ON;
        global::noise.counter = 0;
        global::players = global::SINGLE;
        global::difficulty = global::HARD;
        match_clock::begin(seed);
        std::vector<std::uint64_t> hashes;
        for (int i = 0; i < 1500; ++i) {
            if (i % 97 == 0)
                apply_station_command(BLUE_STATION, CMD_CHARGE);
            if (i % 97 == 40)
                apply_station_command(BLUE_STATION, CMD_RELEASE);
            if (i % 131 == 7)
                apply_station_command(BLUE_STATION, CMD_FLARE);
            if (i % 300 == 0)
                apply_station_command(BLUE_STATION, i % 600 ? CMD_TURN_CW_OFF : CMD_TURN_CW_ON);
            program_logic();
            match_clock::count_step();
            hashes.push_back(state_hash());
        }
        return hashes;
    }
};

TEST_F(StateHash, SamePlayGivesTheSameHashesStepByStep) {
    const std::vector<std::uint64_t> first = play(7);
    EXPECT_GT(count(global::TRACE), 0);
    EXPECT_LT(global::station2->rockets, 10) << "the computer fired";
    EXPECT_EQ(play(7), first);
    // Another seed changes the computer's choices and so, at some step, the board.
    EXPECT_NE(play(8), first);
}

TEST_F(StateHash, EveryPartOfTheBoardCounts) {
    play(3);
    const std::uint64_t before = state_hash();
    // Each change applies to a board played afresh, so the trail dot is looked up each time.
    const auto dot = [] { return first(global::TRACE); };
    ASSERT_NE(dot(), nullptr);
    const std::vector<std::function<void()>> changes = {
        [&] { dot()->pos.x = std::nextafter(dot()->pos.x, 100.0f); },
        [&] { dot()->vel.y += 1e-6f; },
        [&] { dot()->counter += 1; },
        [&] { dot()->gfx.colour[3] = 0.01f; },
        [&] { dot()->type = global::FLARE; },
        [] { global::station1->particle->ang_pos += 1e-6f; },
        [] { global::station2->aim += 1e-6f; },
        [] { global::station1->loaded += 0.02f; },
        [] { global::station2->cw = !global::station2->cw; },
        [] { global::station1->shields -= 10; },
        [] { global::station2->flares -= 1; },
        [] { global::counter += 1; },
        [] { global::noise.counter += 1; },
        [] { global::game_state = global::PAUSED; },
        [] { global::difficulty = global::EASY; },
        [] { match_clock::count_step(); },
        [] { match_clock::roll(); },
        // The same particles in another order.
        [] { particles.splice(particles.end(), particles, std::prev(particles.end(), 2)); },
    };
    for (std::size_t i = 0; i < changes.size(); ++i) {
        play(3);
        ASSERT_EQ(state_hash(), before);
        changes[i]();
        EXPECT_NE(state_hash(), before) << "change " << i;
    }
}

TEST_F(StateHash, TexturesDoNotCount) {
    play(3);
    const std::uint64_t before = state_hash();
    for (CParticle* p : particles)
        p->gfx.texture += 1;

    EXPECT_EQ(state_hash(), before);
}

}  // namespace
