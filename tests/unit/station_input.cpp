#include "game/station_input.h"

#include <gtest/gtest.h>

#include <vector>

#include "game/global.h"

namespace {

std::vector<board_command> routed;
std::vector<board_command> observed;
bool blue_turning_when_observed = false;

void hold(const board_command& c) {
    routed.push_back(c);
}
void watch(const board_command& c) {
    if (observed.empty())
        blue_turning_when_observed = global::station1->cw;
    observed.push_back(c);
}

class StationInput : public testing::Test {
  protected:
    void SetUp() override {
        if (global::station1 == nullptr) {
            global::station1 = new global::CStation(new CParticle(-9, -4, 0.4f), &global::planet1);
            global::station2 = new global::CStation(new CParticle(9, 4, 0.4f), &global::planet2);
        }
        restart();
        global::game_state = global::ON;
        routed.clear();
        observed.clear();
    }
    void TearDown() override {
        set_command_route(nullptr);
        set_command_observer(nullptr);
        global::game_state = global::HIDDEN;
    }
};

TEST_F(StationInput, CommandsTakeEffectAtOnceAndTheObserverSeesThemFirst) {
    set_command_observer(watch);
    submit_station_command(BLUE_STATION, CMD_TURN_CW_ON);
    submit_match_command(MATCH_PAUSE);
    EXPECT_TRUE(global::station1->cw);
    EXPECT_EQ(global::game_state, global::PAUSED);
    ASSERT_EQ(observed.size(), 2u);
    EXPECT_TRUE(observed[0] == (board_command{TARGET_BLUE, CMD_TURN_CW_ON}));
    EXPECT_TRUE(observed[1] == (board_command{TARGET_MATCH, MATCH_PAUSE}));
    EXPECT_FALSE(blue_turning_when_observed) << "observed before the board changed";
    submit_match_command(MATCH_RESUME);
    EXPECT_EQ(global::game_state, global::ON);
}

TEST_F(StationInput, ARouteHoldsCommandsUntilItLetsThemTakeEffect) {
    set_command_route(hold);
    set_command_observer(watch);
    submit_station_command(RED_STATION, CMD_CHARGE);
    submit_match_command(MATCH_PAUSE);
    EXPECT_FALSE(global::station2->loading);
    EXPECT_EQ(global::game_state, global::ON);
    EXPECT_TRUE(observed.empty());
    ASSERT_EQ(routed.size(), 2u);
    for (const board_command& c : routed)
        take_command(c);
    EXPECT_TRUE(global::station2->loading);
    EXPECT_EQ(global::game_state, global::PAUSED);
    EXPECT_EQ(observed.size(), 2u);

    set_command_route(nullptr);
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
