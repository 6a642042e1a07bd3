// What the title screen says after a network game ends on its own: the session that knew why is gone
// by then, so the words must have been kept, intact.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "game/global.h"
#include "game/netplay.h"
#include "game/network_match.h"
#include "game/rules_hash.h"
#include "game/version.h"
#include "loopback_socket.h"
#include "needs.h"
#include "started_game.h"

namespace {

double seconds_now() {
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Polls the game's side (and `other`, if any) until the network game is over or `limit` seconds pass.
bool poll_until_over(double limit, CNetSession* other = nullptr) {
    const double end = seconds_now() + limit;
    while (network_match::active() && seconds_now() < end) {
        network_match::poll();
        if (other != nullptr)
            other->poll(seconds_now());
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return !network_match::active();
}

class NetworkMatchEnd : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { started = start_game_in("network_match_end", ZELVORANT_RUN_DIR); }
    void SetUp() override {
        NEEDS(std::getenv("DISPLAY") != nullptr, "an X display");
        ASSERT_TRUE(started) << "the game did not start";
    }
    static bool started;
};
bool NetworkMatchEnd::started = false;

}  // namespace

TEST_F(NetworkMatchEnd, AHostThatNeverAnswersIsNamedOnTheTitleScreen) {
    CLoopbackSocket nobody;
    std::string error;
    ASSERT_TRUE(network_match::join("127.0.0.1", nobody.port(), error)) << error;
    ASSERT_TRUE(poll_until_over(CNetSession::CONNECT_LIMIT + 2));
    EXPECT_EQ(global::menu_state, global::MAIN);
    EXPECT_EQ(network_match::note(), "No answer from 127.0.0.1:" + std::to_string(nobody.port()));
}

TEST_F(NetworkMatchEnd, AHostThatVanishesMidMatchIsReportedAsLost) {
    auto host = std::make_unique<CNetSession>(net_identity{PROGRAM_VERSION, rules_hash()});
    std::string error;
    ASSERT_TRUE(host->host(0, CNetSession::DEFAULT_DELAY, error, "127.0.0.1")) << error;
    ASSERT_TRUE(network_match::join("127.0.0.1", host->port(), error)) << error;
    const double end = seconds_now() + 5;
    while (host->state() != CNetSession::PLAYING && seconds_now() < end) {
        host->poll(seconds_now());
        network_match::poll();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_EQ(host->state(), CNetSession::PLAYING) << host->note();
    host.reset();  // gone without a word
    ASSERT_TRUE(poll_until_over(CNetSession::SILENCE_LIMIT + 2));
    EXPECT_EQ(network_match::note(), "Connection lost");
}
