#include "newcomer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "game/run/run.h"
#include "game/sim/board.h"
#include "game/sim/events.h"
#include "game/sim/global.h"
#include "game/sim/logic.h"
#include "game/sim/match_clock.h"

namespace {

constexpr float PI = 3.14159265f;

// One shot as the keys and the board showed it: when it was decided (its first key), the line to the
// other station then, the aim when fire went down, and when fire went down and up.
struct shot_seen {
    long long decided;
    float line;
    float aim = 0;
    long long charged = -1;
    long long released = -1;
};

struct key_seen {
    long long step;
    board_command command;
};

long long step_now = 0;
std::vector<key_seen> keys;
std::vector<shot_seen> shots;
bool in_shot = false;  // from a shot's first key to its release

float line_to_red() {
    const CVector v(global::station1->particle->pos, global::station2->particle->pos);
    return std::atan2(v.x, -v.y);
}

void press(station_side side, station_command command) {
    keys.push_back({step_now, {static_cast<command_target>(side), command}});
    // A shot starts with its turn key, or with fire when no turn is needed.
    if (!in_shot && (command == CMD_TURN_CW_ON || command == CMD_TURN_CCW_ON || command == CMD_CHARGE)) {
        shots.push_back({step_now, line_to_red()});
        in_shot = true;
    }
    submit_station_command(side, command);
    if (command == CMD_CHARGE) {
        shots.back().aim = global::station1->aim;
        shots.back().charged = step_now;
    }
    if (command == CMD_RELEASE) {
        shots.back().released = step_now;
        in_shot = false;
    }
}

// A newcomer on blue against a red station that does nothing, for `steps` logic steps.
void play(std::uint32_t seed, int steps) {
    build_board_without_window();
    restart();
    global::players = global::MULTI;
    global::game_state = global::ON;
    match_clock::begin(seed);
    keys.clear();
    shots.clear();
    in_shot = false;
    CNewcomer newcomer(BLUE_STATION, seed);
    for (step_now = 0; step_now < steps && global::game_state == global::ON; ++step_now) {
        newcomer.think(press);
        program_logic();
        match_clock::count_step();
        global::events.clear();
    }
    restart();
    global::game_state = global::HIDDEN;
}

float wrap(float a) {
    return std::remainder(a, 2 * PI);
}

// Its keys are a person's: turn keys down and up in turn, fire held and let go, no flare, only its own
// station; each shot is aimed within 0.5 rad of the straight line to where red stood when it decided,
// fire is held 0.3 to 1.5 s, and a shot is decided every 2 to 3 s unless the last one ran longer.
TEST(Newcomer, PlaysAsTheFirstDayIsDescribed) {
    int wide_left = 0, wide_right = 0, short_holds = 0, long_holds = 0;
    for (std::uint32_t seed = 1; seed <= 4; ++seed) {
        play(seed, 6000);
        bool cw = false, ccw = false, charging = false;
        for (const key_seen& k : keys) {
            ASSERT_EQ(k.command.target, TARGET_BLUE);
            switch (k.command.code) {
                case CMD_TURN_CW_ON:
                case CMD_TURN_CW_OFF:
                    ASSERT_NE(cw, k.command.code == CMD_TURN_CW_ON) << "step " << k.step;
                    cw = !cw;
                    break;
                case CMD_TURN_CCW_ON:
                case CMD_TURN_CCW_OFF:
                    ASSERT_NE(ccw, k.command.code == CMD_TURN_CCW_ON) << "step " << k.step;
                    ccw = !ccw;
                    break;
                case CMD_CHARGE:
                    ASSERT_FALSE(charging || cw || ccw) << "step " << k.step;
                    charging = true;
                    break;
                case CMD_RELEASE:
                    ASSERT_TRUE(charging) << "step " << k.step;
                    charging = false;
                    break;
                default:
                    FAIL() << "a key it never presses: " << int(k.command.code) << " at step " << k.step;
            }
        }
        ASSERT_GE(shots.size(), 20u) << "seed " << seed;
        for (std::size_t i = 0; i + 1 < shots.size(); ++i) {
            const shot_seen& s = shots[i];
            ASSERT_GE(s.released, 0) << "seed " << seed << " shot " << i;
            // Turning goes in whole steps of 0.03 rad: the aim lands within half a step.
            const float error = wrap(s.aim - s.line);
            EXPECT_LE(std::fabs(error), 0.5f + 0.015f) << "seed " << seed << " shot " << i;
            wide_left += error < -0.3f;
            wide_right += error > 0.3f;
            const long long hold = s.released - s.charged;
            EXPECT_GE(hold, 30) << "seed " << seed << " shot " << i;
            EXPECT_LE(hold, 150) << "seed " << seed << " shot " << i;
            short_holds += hold < 60;
            long_holds += hold > 120;
            const long long gap = shots[i + 1].decided - s.decided;
            if (gap != s.released + 1 - s.decided) {
                EXPECT_GE(gap, 200) << "seed " << seed << " shot " << i;
                EXPECT_LE(gap, 300) << "seed " << seed << " shot " << i;
            }
        }
    }
    // The dice spread over the whole ranges, not only their middles.
    EXPECT_GT(wide_left, 5);
    EXPECT_GT(wide_right, 5);
    EXPECT_GT(short_holds, 5);
    EXPECT_GT(long_holds, 5);
}

TEST(Newcomer, ItsDiceComeFromTheMatchSeed) {
    play(7, 3000);
    const std::vector<key_seen> first = keys;
    ASSERT_FALSE(first.empty());
    play(7, 3000);
    ASSERT_EQ(keys.size(), first.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(keys[i].step, first[i].step);
        EXPECT_TRUE(keys[i].command == first[i].command);
    }
    play(8, 3000);
    bool differs = keys.size() != first.size();
    for (std::size_t i = 0; !differs && i < first.size(); ++i)
        differs = keys[i].step != first[i].step || !(keys[i].command == first[i].command);
    EXPECT_TRUE(differs);
}

}  // namespace
