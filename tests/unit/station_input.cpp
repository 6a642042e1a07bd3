#include "game/sim/station_input.h"

#include <gtest/gtest.h>

#include <vector>

#include "game/run/run.h"
#include "game/sim/global.h"

namespace {

class StationInput : public testing::Test {
  protected:
    void SetUp() override {
        if (global::station1 == nullptr) {
            global::station1 = new global::CStation(new CParticle(-9, -4, 0.4f), &global::planet1);
            global::station2 = new global::CStation(new CParticle(9, 4, 0.4f), &global::planet2);
        }
        restart();
        global::game_state = global::ON;
    }
    void TearDown() override { global::game_state = global::HIDDEN; }
};

TEST_F(StationInput, CommandsTakeEffectAtOnceWithoutANetworkSession) {
    submit_station_command(BLUE_STATION, CMD_TURN_CW_ON);
    submit_match_command(MATCH_PAUSE);
    EXPECT_TRUE(global::station1->cw);
    EXPECT_EQ(global::game_state, global::PAUSED);
    submit_match_command(MATCH_RESUME);
    EXPECT_EQ(global::game_state, global::ON);
    submit_station_command(RED_STATION, CMD_CHARGE);
    EXPECT_TRUE(global::station2->loading);
    submit_station_command(RED_STATION, CMD_DROP_CHARGE);
    EXPECT_FALSE(global::station2->loading);
}

TEST_F(StationInput, OnlyKnownTargetsAndCodesAreValid) {
    EXPECT_TRUE(valid_command({TARGET_BLUE, CMD_DROP_CHARGE}));
    EXPECT_TRUE(valid_command({TARGET_RED, CMD_TURN_CW_ON}));
    EXPECT_TRUE(valid_command({TARGET_MATCH, MATCH_RESUME}));
    EXPECT_FALSE(valid_command({TARGET_BLUE, STATION_COMMANDS}));
    EXPECT_FALSE(valid_command({TARGET_MATCH, MATCH_COMMANDS}));
    EXPECT_FALSE(valid_command({static_cast<command_target>(3), 0}));
}

}  // namespace
