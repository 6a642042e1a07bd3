// The link's door before ENet gives anyone a place: cookies only the real sender can read, good for a
// while and for one address, and a host that lets in only the endpoints it was told of.
#include "net/link.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <string>

#include "net/connect_cookie.h"

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
