// The game's side of a network session against a bare session on 127.0.0.1: the notes a player reads,
// the answer to the other side's request for a new match, and the series of wins under the panels.
#include "game/netplay/network_match.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "game/config/version.h"
#include "game/netplay/netplay.h"
#include "game/render/render_hud.h"
#include "game/sim/global.h"
#include "game/sim/rules_hash.h"
#include "game/sim/state_hash.h"

namespace {

double seconds_now() {
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class NetworkMatch : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = {global::station1, global::station2, global::game_state, global::menu_state};
        global::station1 = &blue_;
        global::station2 = &red_;
        global::game_state = global::ON;
        global::menu_state = global::NONE;
    }
    void TearDown() override {
        network_match::close("");
        global::station1 = saved_.blue;
        global::station2 = saved_.red;
        global::game_state = saved_.game;
        global::menu_state = saved_.menu;
        for (CParticle* p : {&blue_body_, &red_body_, &blue_planet_, &red_planet_})
            particles.remove(p);
    }
    // The network screen's join, against `peer` hosting here.
    void join_peer() {
        std::string error;
        ASSERT_TRUE(peer_.host(0, CNetSession::DEFAULT_DELAY, error, "127.0.0.1")) << error;
        ASSERT_TRUE(network_match::join("127.0.0.1", peer_.port(), error)) << error;
    }
    // Both sides' traffic and steps, as the run's poll and step would, until `done` or two seconds.
    bool pump(const std::function<bool()>& done) {
        const double end = seconds_now() + 2;
        while (seconds_now() < end) {
            std::uint16_t port = 0;
            std::string host;
            network_match::take_request(port, host);
            if (network_match::poll() == network_match::change::MATCH_BEGINS)
                ++matches_begun_;
            peer_.poll(seconds_now());
            // Run ahead of the step the host names for the next match: back to it, as the run goes.
            network_match::go_back();
            for (int i = 0; i < 20 && network_match::commands_ready(); ++i) {
                network_match::step_commands();
                network_match::step_done();
            }
            for (int i = 0; i < 20 && peer_.step_ready(); ++i)
                peer_.step_done(state_hash);
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }

    CNetSession peer_{net_identity{PROGRAM_VERSION, rules_hash()}};
    int matches_begun_ = 0;
    CParticle blue_planet_{-8, 0, 3}, red_planet_{8, 0, 3};
    CParticle blue_body_{-12, 0, 0.4f}, red_body_{12, 0, 0.4f};
    global::CStation blue_{&blue_body_, &blue_planet_}, red_{&red_body_, &red_planet_};
    struct {
        global::CStation *blue, *red;
        int game, menu;
    } saved_{};
};

}  // namespace

TEST_F(NetworkMatch, TheWaitingNotesAndThePanelsSayWhichStationIsOwn) {
    std::string error;
    ASSERT_TRUE(network_match::host(0, error)) << error;
    EXPECT_TRUE(has(network_match::note(), "You will play blue, on the left")) << network_match::note();
    network_match::close("");

    join_peer();
    EXPECT_TRUE(has(network_match::note(), "You will play red, on the right")) << network_match::note();
    ASSERT_TRUE(pump([] { return network_match::playing(); })) << network_match::note();
    EXPECT_EQ(matches_begun_, 1);
    EXPECT_EQ(network_match::own_side(), RED_STATION);
    EXPECT_EQ(network_panel_label(RED_STATION), "YOU - WINS: 0");
    EXPECT_EQ(network_panel_label(BLUE_STATION), "WINS: 0");
}

TEST_F(NetworkMatch, ARequestForANewMatchIsDeclinedWithEscapeOrAcceptedAndTheWinsAreKept) {
    join_peer();
    ASSERT_TRUE(pump([] { return network_match::playing(); }));
    // The blue station is destroyed: red, this side, has won once, counted once.
    red_.shields = 10;
    blue_.shields = 0;
    global::game_state = global::ENDED;
    ASSERT_TRUE(pump([&] { return peer_.next_step() > 20; }));
    EXPECT_EQ(network_match::series().red, 1);
    EXPECT_EQ(network_match::series().blue, 0);
    EXPECT_EQ(network_panel_label(RED_STATION), "YOU - WINS: 1");

    // Not a request while the board has ended: that is the usual "press Enter" after a match.
    peer_.ready_for_next_match();
    ASSERT_TRUE(pump([&] { return has(network_match::note(), "press Enter"); })) << network_match::note();
    EXPECT_FALSE(network_match::asked_for_new_match());
    network_match::ready_for_next_match_soon();
    ASSERT_TRUE(pump([&] { return matches_begun_ == 2; }));

    // During a match (paused by the side that asks): asked, and declined.
    global::game_state = global::PAUSED;
    blue_.shields = red_.shields = 10;
    peer_.ready_for_next_match();
    ASSERT_TRUE(pump([] { return network_match::asked_for_new_match(); }));
    EXPECT_TRUE(has(network_match::note(), "Enter: accept")) << network_match::note();
    network_match::decline_new_match_soon();
    ASSERT_TRUE(pump([&] { return !peer_.ready_here(); }));
    EXPECT_TRUE(peer_.take_declined());
    EXPECT_FALSE(network_match::asked_for_new_match());
    EXPECT_EQ(matches_begun_, 2);

    // Asked again, and accepted: the next match begins and the series goes on.
    peer_.ready_for_next_match();
    ASSERT_TRUE(pump([] { return network_match::asked_for_new_match(); }));
    network_match::ready_for_next_match_soon();
    ASSERT_TRUE(pump([&] { return matches_begun_ == 3; }));
    EXPECT_EQ(network_match::series().red, 1);

    // A new session is a new series.
    network_match::close("");
    std::string error;
    ASSERT_TRUE(network_match::host(0, error)) << error;
    EXPECT_EQ(network_match::series().red, 0);
}
