// The link's door before ENet gives anyone a place: cookies only the real sender can read, good for a
// while and for one address, and a host that lets in only the endpoints it was told of; a link that
// rests between frames keeps reading its port.
#include "net/link.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "loopback_socket.h"
#include "net/connect_cookie.h"
#include "udp_socket_counts.h"

namespace {

constexpr std::uint32_t LOOPBACK = 0x7f000001;

// Services `others` (their events dropped) and asks `done`, which reads the links it looks at, until it
// holds or `seconds` pass.
template <class Done>
bool serve(std::initializer_list<CNetLink*> others, double seconds, Done done) {
    for (int i = 0; i < seconds * 500; ++i) {
        for (CNetLink* l : others)
            l->service(1);
        if (done())
            return true;
    }
    return false;
}

}  // namespace

TEST(ConnectCookies, AreForOneSenderOneHostAndAWhile) {
    const CConnectCookies host, other_host;
    std::uint32_t cookie = 0;
    const std::uint32_t now = 5000000;
    ASSERT_TRUE(CConnectCookies::read_answer(host.answer(LOOPBACK, 4000, now).data(),
                                             CConnectCookies::DATAGRAM_SIZE, cookie));
    EXPECT_TRUE(host.valid(LOOPBACK, 4000, cookie, now));
    EXPECT_TRUE(host.valid(LOOPBACK, 4000, cookie, now + 1000 * CConnectCookies::PERIOD_S));
    EXPECT_FALSE(host.valid(LOOPBACK, 4000, cookie, now + 2000 * CConnectCookies::PERIOD_S + 1000));
    EXPECT_FALSE(host.valid(LOOPBACK, 4001, cookie, now));
    EXPECT_FALSE(host.valid(LOOPBACK + 1, 4000, cookie, now));
    EXPECT_FALSE(other_host.valid(LOOPBACK, 4000, cookie, now));
    // An answer is never larger than the ask it answers, and neither is taken for the other.
    const std::vector<std::uint8_t> ask = CConnectCookies::ask();
    EXPECT_EQ(ask.size(), CConnectCookies::DATAGRAM_SIZE);
    EXPECT_TRUE(CConnectCookies::is_ask(ask.data(), ask.size()));
    EXPECT_FALSE(CConnectCookies::read_answer(ask.data(), ask.size(), cookie));
}

TEST(NetLink, AHostThatAdmitsOnlySomeEndpointsLetsNoOtherIn) {
    // The introduced side's router may give it another port toward this host than toward the server:
    // its address is what counts.
    CNetLink host, introduced, stranger;
    std::string error;
    ASSERT_TRUE(host.listen(0, 4, error, "127.0.0.1")) << error;
    ASSERT_TRUE(introduced.open(0, error, "127.0.0.1")) << error;
    ASSERT_TRUE(stranger.open(0, error, "127.0.0.2")) << error;
    host.admit_only({rdv::endpoint{LOOPBACK, static_cast<std::uint16_t>(introduced.port() + 1)}});
    ASSERT_TRUE(stranger.connect("127.0.0.1", host.port(), error)) << error;
    ASSERT_TRUE(introduced.connect("127.0.0.1", host.port(), error)) << error;
    std::vector<std::string> arrived;
    bool stranger_in = false;
    // Long enough for the stranger's asks to have been answered, had they been.
    serve({&introduced}, 1.5, [&] {
        const CNetLink::event e = host.service(1);
        if (e.kind == CNetLink::CONNECTED)
            arrived.push_back(host.peer_address(e.peer));
        stranger_in = stranger_in || stranger.service(0).kind == CNetLink::CONNECTED;
        return false;
    });
    ASSERT_EQ(arrived.size(), 1u);
    EXPECT_EQ(arrived[0], "127.0.0.1:" + std::to_string(introduced.port()));
    EXPECT_FALSE(stranger_in);

    // Anyone again: the stranger, still asking, gets in.
    host.admit_only({});
    EXPECT_TRUE(serve({&host}, 2, [&] { return stranger.service(0).kind == CNetLink::CONNECTED; }));
}

TEST(NetLink, ALinkThatRestsReadsItsPortSoThatJunkLeavesRoomForThePeer) {
    CNetLink host, player;
    std::string error;
    ASSERT_TRUE(host.listen(0, 4, error, "127.0.0.1")) << error;
    ASSERT_TRUE(player.connect("127.0.0.1", host.port(), error)) << error;
    int peer = -1;
    ASSERT_TRUE(serve({&host}, 3, [&] {
        const CNetLink::event e = player.service(1);
        if (e.kind == CNetLink::CONNECTED)
            peer = e.peer;
        return peer >= 0;
    }));
    ASSERT_TRUE(serve({&player}, 1, [&] { return host.service(1).kind == CNetLink::CONNECTED; }));

    // While the host rests, a stranger sends many times what its socket's buffer holds, in datagrams
    // as large as the transport reads; once that is read, the player speaks.
    std::thread resting([&] { host.rest(1500); });
    CLoopbackSocket stranger;
    const std::vector<std::uint8_t> junk(4000, 0xab);
    for (int i = 0; i < 3000; ++i)
        stranger.send_to(host.port(), junk.data(), junk.size());
    for (int i = 0; i < 100 && udp_socket_at(host.port()).queued_bytes != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const std::vector<std::uint8_t> word = {1, 2, 3};
    player.send(peer, word, CNetLink::UNRELIABLE);
    player.flush();
    resting.join();

    // What came during the rest is handed out after it.
    bool heard = false;
    for (int i = 0; i < 100 && !heard; ++i) {
        const CNetLink::event e = host.service(0);
        heard = e.kind == CNetLink::RECEIVED && e.data == word;
    }
    EXPECT_TRUE(heard);
    EXPECT_GT(udp_socket_at(host.port()).dropped, 0) << "the junk did not fill the socket";
}
