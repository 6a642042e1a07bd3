// The rendezvous server's WebSocket port over real sockets on loopback: a browser's connection is a
// peer like a UDP socket, proven by the same cookie, relayed to and from UDP peers and other
// connections; what is not one binary datagram closes the connection; connections are held within
// their limits, from the origins allowed, counted against the client a trusted proxy names.
#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "rendezvous_exchanges.h"
#include "served_rendezvous.h"
#include "websocket_side.h"

namespace {

server_config with_websockets(server_config c = roomy()) {
    c.websocket = true;
    return c;
}

websocket_options from(std::uint32_t address) {
    websocket_options o;
    o.from = address;
    return o;
}

// Relays a pair and checks that a datagram goes each way.
void expect_relayed_both_ways(const CRendezvousEnd& host, const CRendezvousEnd& joiner,
                              std::uint16_t server) {
    ASSERT_TRUE(relayed(host, joiner, server));
    EXPECT_TRUE(forwarded(host, joiner, server, GAME_DATAGRAM));
    EXPECT_TRUE(forwarded(joiner, host, server, {1, 2, 3}));
    EXPECT_TRUE(forwarded(joiner, host, server, {}));  // an empty datagram is a datagram too
}

}  // namespace

TEST(WebSocketServer, ABrowserRegistersJoinsAndIsRelayedToAndFromEitherKindOfPeer) {
    CServedRendezvous server(with_websockets());
    ASSERT_TRUE(server.ready());
    ASSERT_NE(server.websocket_port(), 0);
    CWebSocketSide host(server.port(), server.websocket_port());
    ASSERT_TRUE(host.upgraded()) << host.status();

    // The same proof of address as on UDP: a request without a cookie gets a cookie no larger than
    // itself, and nothing else.
    const std::vector<std::uint8_t> bare = rdv::encode(rdv_message(rdv::REGISTER));
    host.send_raw(0, bare);
    rdv::message answer;
    ASSERT_TRUE(host.receive(answer));
    EXPECT_EQ(answer.kind, rdv::COOKIE);
    EXPECT_LE(rdv::encode(answer).size(), bare.size());
    // A cookie is its connection's: another connection from the same address cannot use it.
    CWebSocketSide thief(server.port(), server.websocket_port());
    rdv::message stolen = rdv_message(rdv::REGISTER);
    stolen.proof = answer.proof;
    thief.send_raw(0, rdv::encode(stolen));
    rdv::message told;
    ASSERT_TRUE(thief.receive(told));
    EXPECT_EQ(told.kind, rdv::COOKIE);

    ASSERT_TRUE(host.request(0, rdv_message(rdv::REGISTER), answer));
    ASSERT_EQ(answer.kind, rdv::REGISTERED);
    EXPECT_EQ(answer.seen, ep(0x7f000001, host.client().local_port()));

    // A UDP joiner and the browser are told to go through the relay at once, and are relayed.
    CRendezvousSide joiner;
    joiner.send(server.port(), join(answer.code));
    rdv::message to_host;
    rdv::message to_joiner;
    ASSERT_TRUE(both_told(host, joiner, rdv::INTRODUCE, to_host, to_joiner));
    EXPECT_EQ(to_host.relay_only, 1);
    EXPECT_EQ(to_joiner.relay_only, 1);
    EXPECT_EQ(to_host.seen, joiner.endpoint());
    host.send(0, with_token(rdv::RELAY, to_host.token));
    joiner.send(server.port(), with_token(rdv::RELAY, to_host.token));
    rdv::message a;
    rdv::message b;
    ASSERT_TRUE(both_told(host, joiner, rdv::RELAYING, a, b));
    EXPECT_TRUE(forwarded(joiner, host, server.port(), GAME_DATAGRAM));
    EXPECT_TRUE(forwarded(host, joiner, server.port(), GAME_DATAGRAM));

    // Two browsers, and a browser joining a UDP host.
    CWebSocketSide second_host(server.port(), server.websocket_port());
    CWebSocketSide second_joiner(server.port(), server.websocket_port());
    expect_relayed_both_ways(second_host, second_joiner, server.port());
    CRendezvousSide udp_host;
    CWebSocketSide third_joiner(server.port(), server.websocket_port());
    expect_relayed_both_ways(udp_host, third_joiner, server.port());

    // Two UDP sides are still told to probe first.
    CRendezvousSide udp_a;
    CRendezvousSide udp_b;
    const std::string code = registered(udp_a, server.port());
    udp_b.send(server.port(), join(code));
    ASSERT_TRUE(both_told(udp_a, udp_b, rdv::INTRODUCE, to_host, to_joiner));
    EXPECT_EQ(to_host.relay_only, 0);
}

TEST(WebSocketServer, AClosedConnectionTakesItsCodeAndItsRelayWithIt) {
    CServedRendezvous server(with_websockets());
    ASSERT_TRUE(server.ready());
    CRendezvousSide joiner;
    std::string code;
    {
        CWebSocketSide host(server.port(), server.websocket_port());
        code = registered(host, server.port());
        ASSERT_FALSE(code.empty());
    }
    rdv::message answer = answer_to(joiner, server.port(), join(code));
    EXPECT_EQ(answer.kind, rdv::REFUSED);
    EXPECT_EQ(answer.reason, rdv::UNKNOWN_CODE);

    CRendezvousSide host;
    auto browser = std::make_unique<CWebSocketSide>(server.port(), server.websocket_port());
    ASSERT_TRUE(relayed(host, *browser, server.port()));
    browser.reset();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    // The pair is gone: its host's datagrams go nowhere, and the host may be relayed anew at once.
    host.send_raw(server.port(), GAME_DATAGRAM);
    EXPECT_EQ(host.count_arrivals(0.2), 0);
    CWebSocketSide next(server.port(), server.websocket_port());
    EXPECT_TRUE(relayed(host, next, server.port()));
}

TEST(WebSocketServer, WhatIsNotOneBinaryDatagramClosesTheConnectionAndOnlyThatOne) {
    CServedRendezvous server(with_websockets());
    ASSERT_TRUE(server.ready());
    CWebSocketSide bystander(server.port(), server.websocket_port());
    ASSERT_TRUE(bystander.upgraded());

    // A datagram in pieces is one datagram.
    CWebSocketSide pieces(server.port(), server.websocket_port());
    const std::vector<std::uint8_t> request = rdv::encode(rdv_message(rdv::PING));
    ASSERT_TRUE(
        pieces.client().send_frame({request.begin(), request.begin() + 3}, CWebSocketClient::BINARY, false));
    ASSERT_TRUE(pieces.client().send_frame({request.begin() + 3, request.end()},
                                           CWebSocketClient::CONTINUATION, true));
    rdv::message answer;
    ASSERT_TRUE(pieces.receive(answer));
    EXPECT_EQ(answer.kind, rdv::COOKIE);

    struct misdeed {
        const char* what;
        std::vector<std::vector<std::uint8_t>> frames;  // the last is the message's end
        CWebSocketClient::opcode kind;
        int status;
    };
    const misdeed misdeeds[] = {
        {"text", {{'h', 'i'}}, CWebSocketClient::TEXT, 1003},
        {"too large at once",
         {std::vector<std::uint8_t>(rdv::MAX_DATAGRAM + 1, 1)},
         CWebSocketClient::BINARY,
         1009},
        {"too large in pieces",
         {std::vector<std::uint8_t>(1000, 1), std::vector<std::uint8_t>(501, 1)},
         CWebSocketClient::BINARY,
         1009},
        {"far too large", {std::vector<std::uint8_t>(1 << 20, 1)}, CWebSocketClient::BINARY, 1009},
    };
    for (const misdeed& m : misdeeds) {
        CWebSocketSide side(server.port(), server.websocket_port());
        ASSERT_TRUE(side.upgraded()) << m.what;
        for (std::size_t i = 0; i < m.frames.size(); ++i)
            side.client().send_frame(m.frames[i], i == 0 ? m.kind : CWebSocketClient::CONTINUATION,
                                     i + 1 == m.frames.size());
        int status = 0;
        EXPECT_TRUE(side.client().closed(2, &status)) << m.what;
        EXPECT_EQ(status, m.status) << m.what;
    }
    // Just as large as a datagram may be: read, and relayed as any.
    CWebSocketSide host(server.port(), server.websocket_port());
    CWebSocketSide joiner(server.port(), server.websocket_port());
    ASSERT_TRUE(relayed(host, joiner, server.port()));
    EXPECT_TRUE(forwarded(host, joiner, server.port(), std::vector<std::uint8_t>(rdv::MAX_DATAGRAM, 7)));

    EXPECT_FALSE(bystander.client().closed(0.1));
    bystander.send(server.port(), rdv_message(rdv::PING));
    ASSERT_TRUE(bystander.receive(answer));
    EXPECT_EQ(answer.kind, rdv::PONG);
}

TEST(WebSocketServer, ConnectionsAreHeldWithinTheirLimitsInAllPerAddressAndPerNetwork) {
    server_config c = with_websockets();
    c.max_websockets = 6;
    c.websockets_per_address = 2;
    c.websockets_per_network = 3;
    CServedRendezvous server(c);
    ASSERT_TRUE(server.ready());
    std::vector<std::unique_ptr<CWebSocketSide>> held;
    // Whether one more connection from `address` is taken.
    const auto taken = [&](std::uint32_t address) {
        held.push_back(
            std::make_unique<CWebSocketSide>(server.port(), server.websocket_port(), from(address)));
        return held.back()->upgraded();
    };
    EXPECT_TRUE(taken(0x7f010101));
    EXPECT_TRUE(taken(0x7f010101));
    EXPECT_FALSE(taken(0x7f010101));  // the address's two
    EXPECT_TRUE(taken(0x7f010102));
    EXPECT_FALSE(taken(0x7f010103));  // the network's three
    EXPECT_TRUE(taken(0x7f020101));
    EXPECT_TRUE(taken(0x7f030101));
    EXPECT_TRUE(taken(0x7f040101));
    EXPECT_FALSE(taken(0x7f050101));  // six in all
    // A place given back is taken again.
    held[0].reset();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(taken(0x7f010101));
    // The refused were closed; those held are served.
    for (const auto& side : held) {
        if (side == nullptr || !side->upgraded())
            continue;
        rdv::message answer;
        EXPECT_TRUE(side->request(server.port(), rdv_message(rdv::PING), answer));
        EXPECT_EQ(answer.kind, rdv::PONG);
    }
}

TEST(WebSocketServer, OnlyPagesOfTheAllowedOriginsConnect) {
    server_config c = with_websockets();
    c.websocket_origins = "https://play.example.org, http://localhost:8000/";
    CServedRendezvous server(c);
    ASSERT_TRUE(server.ready());
    const std::pair<const char*, int> origins[] = {
        {"https://play.example.org", 101},
        {"HTTPS://Play.Example.ORG", 101},
        {"http://localhost:8000", 101},
        {"http://play.example.org", 403},
        {"https://play.example.org:444", 403},
        {"null", 403},
        {"", 403},
    };
    for (const auto& [origin, status] : origins) {
        websocket_options o;
        o.origin = origin;
        CWebSocketClient client;
        EXPECT_EQ(client.connect(server.websocket_port(), o), status) << origin;
    }
}

TEST(WebSocketServer, BehindATrustedProxyTheClientItNamesIsTheOneCountedAndSeen) {
    server_config c = with_websockets();
    c.websocket_proxy = 0x7f000001;
    c.websockets_per_address = 2;
    CServedRendezvous server(c);
    ASSERT_TRUE(server.ready());
    const auto forwarded_for = [](const std::string& value, std::uint32_t address = 0x7f000001) {
        websocket_options o = from(address);
        if (!value.empty())
            o.extra_headers = "X-Forwarded-For: " + value + "\r\n";
        return o;
    };
    const auto seen = [&](const websocket_options& o) {
        CWebSocketSide side(server.port(), server.websocket_port(), o);
        rdv::message answer;
        side.request(server.port(), rdv_message(rdv::REGISTER), answer);
        return answer.kind == rdv::REGISTERED ? answer.seen.address : 0;
    };
    // The last entry is the proxy's; those before it are the client's say-so.
    EXPECT_EQ(seen(forwarded_for("203.0.113.7")), 0xcb007107u);
    EXPECT_EQ(seen(forwarded_for("198.51.100.1, 203.0.113.8")), 0xcb007108u);
    EXPECT_EQ(seen(forwarded_for("::ffff:203.0.113.9")), 0xcb007109u);
    // Anyone else's header is nobody's word.
    EXPECT_EQ(seen(forwarded_for("203.0.113.7", 0x7f000002)), 0x7f000002u);

    // The proxy's connections count against their clients, not against the proxy.
    CWebSocketSide first(server.port(), server.websocket_port(), forwarded_for("203.0.113.20"));
    CWebSocketSide second(server.port(), server.websocket_port(), forwarded_for("203.0.113.20"));
    CWebSocketSide third(server.port(), server.websocket_port(), forwarded_for("203.0.113.20"));
    CWebSocketSide other(server.port(), server.websocket_port(), forwarded_for("2001:db8::1"));
    EXPECT_TRUE(first.upgraded());
    EXPECT_TRUE(second.upgraded());
    EXPECT_EQ(third.status(), 503);
    EXPECT_TRUE(other.upgraded());
    // A proxy that names nobody is set up wrong: said, not guessed.
    CWebSocketClient anonymous;
    EXPECT_EQ(anonymous.connect(server.websocket_port(), forwarded_for("")), 502);
}

TEST(WebSocketServer, APlainRequestIsToldToUpgradeAndAnIdleConnectionIsClosed) {
    server_config c = with_websockets();
    c.websocket_idle_s = 5;
    CServedRendezvous server(c);
    ASSERT_TRUE(server.ready());
    CWebSocketClient plain;
    ASSERT_TRUE(plain.connect_only(server.websocket_port(), websocket_options()));
    const std::string get = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    plain.send_raw(get.data(), get.size());
    EXPECT_EQ(plain.upgrade_status(), 426);

    CWebSocketSide quiet(server.port(), server.websocket_port());
    CWebSocketSide talking(server.port(), server.websocket_port());
    ASSERT_TRUE(quiet.upgraded());
    for (int second = 0; second < 7; ++second) {
        rdv::message answer;
        EXPECT_TRUE(talking.request(server.port(), rdv_message(rdv::PING), answer));
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    int status = 0;
    EXPECT_TRUE(quiet.client().closed(0.5, &status));
    EXPECT_EQ(status, 1001);
    EXPECT_FALSE(talking.client().closed(0.1));
}
