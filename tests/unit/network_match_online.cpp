// The game's side of internet play against a scripted rendezvous server on 127.0.0.1: what the host
// and the joiner send it, from which port, and what the player is told when it answers or does not.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>

#include <chrono>
#include <string>
#include <vector>

#include "game/config/settings.h"
#include "game/netplay/network_match.h"
#include "loopback_socket.h"
#include "net/rendezvous_message.h"

namespace {

double seconds_now() {
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The first rendezvous message to arrive within `seconds` while the game polls, with its source port.
bool next_message(const CLoopbackSocket& server, double seconds, rdv::message& m, std::uint16_t& from_port) {
    const double end = seconds_now() + seconds;
    while (seconds_now() < end) {
        network_match::poll();
        pollfd p{server.descriptor(), POLLIN, 0};
        if (::poll(&p, 1, 5) <= 0)
            continue;
        std::uint8_t buffer[rdv::MAX_DATAGRAM];
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t got = recvfrom(server.descriptor(), buffer, sizeof buffer, 0,
                                     reinterpret_cast<sockaddr*>(&from), &length);
        from_port = ntohs(from.sin_port);
        if (got > 0 && rdv::decode(buffer, static_cast<std::size_t>(got), m))
            return true;
    }
    return false;
}

class OnlinePlay : public ::testing::Test {
  protected:
    void SetUp() override {
        global::settings.rendezvous_server = "127.0.0.1:" + std::to_string(server.port());
    }
    void TearDown() override {
        network_match::close("");
        global::settings.restore();
    }
    CLoopbackSocket server;
};

}  // namespace

TEST_F(OnlinePlay, TheJoinerAsksAtOnceFromThePortItWillPlayOnAndIsToldWhenNobodyAnswers) {
    std::string error;
    ASSERT_TRUE(network_match::join_code("acd-efg", error)) << error;
    const double asked = seconds_now();
    rdv::message m;
    std::uint16_t from = 0;
    // Sooner than a second try would come.
    ASSERT_TRUE(next_message(server, 0.45, m, from));
    EXPECT_LT(seconds_now() - asked, 0.4);
    EXPECT_EQ(m.kind, rdv::JOIN);
    EXPECT_EQ(m.code, "ACDEFG");
    for (const rdv::endpoint& e : m.locals)
        EXPECT_EQ(e.port, from) << rdv::to_string(e);

    const double give_up = seconds_now() + 8;
    while (network_match::active() && seconds_now() < give_up)
        next_message(server, 0.1, m, from);
    EXPECT_FALSE(network_match::active());
    EXPECT_EQ(network_match::note(), "The server does not answer");
}

TEST_F(OnlinePlay, TheHostRegistersFromItsGamePortAndShowsTheCodeItIsGiven) {
    std::string error;
    ASSERT_TRUE(network_match::host_online(0, error)) << error;
    rdv::message m;
    std::uint16_t from = 0;
    ASSERT_TRUE(next_message(server, 0.4, m, from));
    EXPECT_EQ(m.kind, rdv::REGISTER);
    for (const rdv::endpoint& e : m.locals)
        EXPECT_EQ(e.port, from) << rdv::to_string(e);
    EXPECT_EQ(network_match::invite_code(), "");

    rdv::message answer;
    answer.kind = rdv::REGISTERED;
    answer.code = "KX74PQ";
    answer.seen = rdv::endpoint{0x7f000001, from};
    const std::vector<std::uint8_t> bytes = rdv::encode(answer);
    server.send_to(from, bytes.data(), bytes.size());
    const double end = seconds_now() + 2;
    while (network_match::invite_code().empty() && seconds_now() < end)
        network_match::poll();
    EXPECT_EQ(network_match::invite_code(), "KX74PQ");
    EXPECT_NE(network_match::note().find("Waiting for a player"), std::string::npos) << network_match::note();
}

TEST_F(OnlinePlay, AJoinerIsShownAndToldNoCodeToPassOn) {
    std::string error;
    ASSERT_TRUE(network_match::join_code("acd-efg", error)) << error;
    rdv::message m;
    std::uint16_t from = 0;
    ASSERT_TRUE(next_message(server, 0.45, m, from));
    ASSERT_EQ(m.kind, rdv::JOIN);
    // The code it typed is its own business: the invite is the host's to give.
    EXPECT_EQ(network_match::invite_code(), "");
    EXPECT_EQ(network_match::note().find("Invite code"), std::string::npos) << network_match::note();
}
