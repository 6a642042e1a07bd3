// What the title screen says after a network game ends on its own: the session that knew why is gone
// by then, so the words must have been kept, intact.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "game/config/version.h"
#include "game/netplay/netplay.h"
#include "game/netplay/network_match.h"
#include "game/sim/rules_hash.h"
#include "loopback_socket.h"

namespace {

double seconds_now() {
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Polls the game's side (and `other`, if any) until its session is over, as `how`, or `limit` seconds
// pass.
bool poll_until_over(double limit, network_match::change how, CNetSession* other = nullptr) {
    const double end = seconds_now() + limit;
    while (seconds_now() < end) {
        const network_match::change c = network_match::poll();
        if (c == network_match::change::OVER || c == network_match::change::NEVER_BEGAN)
            return c == how;
        if (other != nullptr)
            other->poll(seconds_now());
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

}  // namespace

TEST(NetworkMatchEnd, AHostThatNeverAnswersIsNamedAfterTheSessionIsGone) {
    CLoopbackSocket nobody;
    std::string error;
    ASSERT_TRUE(network_match::join("127.0.0.1", nobody.port(), error)) << error;
    // Told apart from a match that ended: the run goes back to where another address can be tried.
    ASSERT_TRUE(poll_until_over(CNetSession::CONNECT_LIMIT + 2, network_match::change::NEVER_BEGAN));
    EXPECT_FALSE(network_match::active());
    EXPECT_EQ(network_match::note(), "No answer from 127.0.0.1:" + std::to_string(nobody.port()));
}

TEST(NetworkMatchEnd, AHostThatVanishesMidMatchIsReportedAsLost) {
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
    ASSERT_TRUE(poll_until_over(CNetSession::SILENCE_LIMIT + 2, network_match::change::OVER));
    EXPECT_EQ(network_match::note(), "Connection lost");
}
