#include "game/opponent/gunner.h"

#include <gtest/gtest.h>

#include <vector>

#include "game/opponent/trial_flight.h"
#include "game/replay/replay_verify.h"
#include "game/run/run.h"
#include "game/sim/board.h"
#include "game/sim/board_snapshot.h"
#include "game/sim/classic_computer.h"
#include "game/sim/events.h"
#include "game/sim/global.h"
#include "game/sim/logic.h"
#include "game/sim/match_clock.h"
#include "game/sim/opponent_kind.h"
#include "game/sim/rules.h"
#include "game/sim/state_hash.h"
#include "game/sim/trial_board.h"

namespace {

// The gunner's keys, seen on their way to the board.
std::vector<board_command> pressed;
void press(station_side side, station_command command) {
    pressed.push_back({static_cast<command_target>(side), command});
    submit_station_command(side, command);
}

// A single-player match against the gunner on red; blue is the mirrored classic computer, or idle.
struct gunner_match {
    CGunner red;
    bool blue_fires;
    std::vector<std::pair<long long, board_command>> log;
    long long step = 0;

    gunner_match(std::uint32_t seed, int level, bool blue) : red(RED_STATION, level, seed), blue_fires(blue) {
        build_board_without_window();
        restart();
        global::players = global::SINGLE;
        global::opponent = global::GUNNER_OPPONENT;
        global::difficulty = level;
        global::game_state = global::ON;
        // The HUD's noise panel runs on through restarts; it is part of the hash.
        global::noise.counter = 0;
        match_clock::begin(seed);
        global::events.clear();
    }
    ~gunner_match() {
        restart();
        global::opponent = global::CLASSIC_OPPONENT;
    }
    // The gunner thinks, its commands take effect, the board moves.
    void next() {
        pressed.clear();
        red.think(press);
        for (const board_command& c : pressed)
            log.push_back({step, c});
        program_logic();
        match_clock::count_step();
        if (blue_fires && global::game_state == global::ON)
            classic_computer(global::station1, BLUE_STATION);
        global::events.clear();
        ++step;
    }
};

// Keys a player holds: each turn key goes down and up in turn, fire is released only after it was
// pressed, and nothing but the red station's own keys is ever sent.
TEST(Gunner, PressesOnlyWhatAPlayerCouldPress) {
    for (int level : {global::EASY, global::MEDIUM, global::HARD}) {
        for (std::uint32_t seed = 1; seed <= 3; ++seed) {
            gunner_match m(seed, level, true);
            bool cw = false, ccw = false, charging = false;
            int shots = 0;
            for (int i = 0; i < 3000 && global::game_state == global::ON; ++i) {
                m.next();
                for (const board_command& c : pressed) {
                    ASSERT_EQ(c.target, TARGET_RED);
                    switch (c.code) {
                        case CMD_TURN_CW_ON:
                        case CMD_TURN_CW_OFF:
                            ASSERT_NE(cw, c.code == CMD_TURN_CW_ON) << "step " << i;
                            cw = !cw;
                            break;
                        case CMD_TURN_CCW_ON:
                        case CMD_TURN_CCW_OFF:
                            ASSERT_NE(ccw, c.code == CMD_TURN_CCW_ON) << "step " << i;
                            ccw = !ccw;
                            break;
                        case CMD_CHARGE:
                            ASSERT_FALSE(charging) << "step " << i;
                            charging = true;
                            break;
                        case CMD_RELEASE:
                            ASSERT_TRUE(charging) << "step " << i;
                            charging = false;
                            ++shots;
                            break;
                        case CMD_FLARE:
                            break;
                        default:
                            FAIL() << "a key no player has: " << int(c.code);
                    }
                }
            }
            EXPECT_GT(shots, 0) << "level " << level << " seed " << seed;
        }
    }
}

// Thinking runs trials on the board; what is left afterwards is only what its keys did.
TEST(Gunner, PlanningLeavesOnlyItsKeysOnTheBoard) {
    for (std::uint32_t seed = 4; seed <= 6; ++seed) {
        gunner_match m(seed, global::HARD, true);
        for (int i = 0; i < 1500 && global::game_state == global::ON; ++i) {
            const CBoardSnapshot before = CBoardSnapshot::take();
            pressed.clear();
            m.red.think(press);
            const std::uint64_t thought = state_hash();
            const std::vector<board_command> keys = pressed;
            before.restore();
            for (const board_command& c : keys)
                apply_command(c);
            ASSERT_EQ(state_hash(), thought) << "seed " << seed << " step " << i;
            program_logic();
            match_clock::count_step();
            classic_computer(global::station1, BLUE_STATION);
            global::events.clear();
        }
    }
}

TEST(Gunner, TheSameSeedPlaysTheSameMatch) {
    auto play = [](std::uint32_t seed) {
        gunner_match m(seed, global::MEDIUM, true);
        for (int i = 0; i < 2500 && global::game_state == global::ON; ++i)
            m.next();
        return std::make_pair(m.log, state_hash());
    };
    const auto first = play(21);
    EXPECT_FALSE(first.first.empty());
    const auto again = play(21);
    EXPECT_EQ(again.second, first.second);
    ASSERT_EQ(again.first.size(), first.first.size());
    for (std::size_t i = 0; i < first.first.size(); ++i) {
        EXPECT_EQ(again.first[i].first, first.first[i].first);
        EXPECT_TRUE(again.first[i].second == first.first[i].second);
    }
    EXPECT_NE(play(22).second, first.second);
}

// The trial of the shot a level fires, its hand's error included, is the very missile that then leaves,
// step for step, as long as nothing else acts on the board (blue stays idle; the comparison stops at the
// gunner's next key). No level fires a shot its trial sees flying on past the trial or coming back at
// itself: with blue idle, red's shields stay full.
TEST(Gunner, ItsTrialFlightIsTheRealFlight) {
    for (int level : {global::EASY, global::MEDIUM, global::HARD}) {
        int compared = 0;
        for (std::uint32_t seed = 1; seed <= 4; ++seed) {
            gunner_match m(seed, level, false);
            for (int i = 0; i < 3000 && global::game_state == global::ON; ++i) {
                m.next();
                ASSERT_EQ(global::station2->shields, FULL_SHIELDS) << "level " << level << " seed " << seed;
                if (m.red.last_release() != m.step - 1)
                    continue;
                const std::vector<CVector> predicted = m.red.predicted_flight();
                ASSERT_FALSE(predicted.empty()) << "level " << level << " seed " << seed;
                EXPECT_LT(predicted.size(), 350u) << "level " << level << " seed " << seed;
                // The missile it has just fired is the newest one on the board.
                const CParticle* missile = nullptr;
                for (const CParticle* p : particles)
                    if (p->type == global::ROCKET)
                        missile = p;
                ASSERT_NE(missile, nullptr);
                EXPECT_EQ(missile->pos.x, predicted[0].x);
                EXPECT_EQ(missile->pos.y, predicted[0].y);
                for (std::size_t t = 1; t < predicted.size() && global::game_state == global::ON; ++t) {
                    m.next();
                    ASSERT_EQ(global::station2->shields, FULL_SHIELDS);
                    if (!pressed.empty())
                        break;
                    ASSERT_TRUE(still_on_board(missile))
                        << "level " << level << " seed " << seed << " step " << t;
                    ASSERT_EQ(missile->pos.x, predicted[t].x) << "level " << level << " seed " << seed;
                    ASSERT_EQ(missile->pos.y, predicted[t].y) << "level " << level << " seed " << seed;
                    ++compared;
                }
            }
        }
        EXPECT_GT(compared, 200) << "level " << level;
    }
}

}  // namespace

namespace {

// A trial shot is credited only with its own blast: another missile hitting the target while the trial
// flies is not this shot's hit (a fault that once had the gunner fire shots that missed).
TEST(TrialFlight, AHitByAnotherMissileIsNotTheShotsHit) {
    build_board_without_window();
    restart();
    global::players = global::MULTI;
    global::game_state = global::ON;
    match_clock::begin(1);
    program_logic();  // the stations take their places on their orbits
    const CVector blue = global::station1->particle->pos;
    CParticle* armed = new CParticle(blue.x + 0.3f, blue.y, 0.2f);
    armed->type = global::ROCKET;
    armed->counter = 20;
    {
        CTrialBoard trial;
        // Straight down into its own planet, far from both stations.
        global::station2->aim = 0;
        global::station2->loaded = 0;
        global::station2->loading = true;
        const flight_outcome out = fly_trial_shot(RED_STATION, 350);
        EXPECT_TRUE(out.fired);
        EXPECT_LT(global::station1->shields, FULL_SHIELDS) << "the other missile did hit";
        EXPECT_FALSE(out.hit);
        EXPECT_FALSE(out.self_hit);
        EXPECT_LT(out.steps, 350) << "it went off at its planet";
    }
    EXPECT_EQ(global::station1->shields, FULL_SHIELDS);
    restart();
    global::events.clear();
}

}  // namespace
