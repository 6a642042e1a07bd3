// The rendezvous server over real sockets on 127.0.0.1: what each side is told, when, and what is
// forwarded to whom, once the sides have proven their addresses.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "rendezvous_exchanges.h"
#include "served_rendezvous.h"

TEST(RendezvousServer, RegistrationGivesACodeThatAKeepAliveKeeps) {
    CServedRendezvous server(roomy());
    ASSERT_TRUE(server.ready());
    CRendezvousSide host;
    CRendezvousSide other;
    host.send(server.port(), rdv_message(rdv::REGISTER));
    rdv::message answer;
    ASSERT_TRUE(host.receive(answer));
    ASSERT_EQ(answer.kind, rdv::REGISTERED);
    std::string normal;
    EXPECT_TRUE(rdv::normalize_code(answer.code, normal));
    EXPECT_EQ(answer.seen, host.endpoint());
    EXPECT_EQ(answer.lifetime_s, 30);

    EXPECT_EQ(registered(host, server.port()), answer.code);
    const std::string second = registered(other, server.port());
    EXPECT_FALSE(second.empty());
    EXPECT_NE(second, answer.code);
}

TEST(RendezvousServer, AJoinIntroducesBothSidesWithOneToken) {
    CServedRendezvous server(roomy());
    ASSERT_TRUE(server.ready());
    CRendezvousSide host;
    CRendezvousSide joiner;
    rdv::message reg = rdv_message(rdv::REGISTER);
    reg.mapped = ep(0xc6336401, 24816);
    reg.locals = {ep(0xc0a80002, 24816), ep(0x0a000002, 24816)};
    const std::string code = registered(host, server.port(), reg);
    ASSERT_FALSE(code.empty());

    rdv::message j = join(code);
    j.locals = {ep(0xc0a80107, 24816)};
    joiner.send(server.port(), j);
    rdv::message to_host;
    rdv::message to_joiner;
    ASSERT_TRUE(both_told(host, joiner, rdv::INTRODUCE, to_host, to_joiner));
    EXPECT_NE(to_host.token, 0u);
    EXPECT_EQ(to_host.role, 0);
    EXPECT_EQ(to_host.seen, joiner.endpoint());
    EXPECT_EQ(to_host.locals, j.locals);
    EXPECT_EQ(to_joiner.role, 1);
    EXPECT_EQ(to_joiner.seen, host.endpoint());
    EXPECT_EQ(to_joiner.mapped, reg.mapped);
    EXPECT_EQ(to_joiner.locals, reg.locals);

    // The join again (its answer lost): the same introduction, not a second one.
    const std::uint64_t first_token = to_host.token;
    joiner.send(server.port(), j);
    ASSERT_TRUE(both_told(host, joiner, rdv::INTRODUCE, to_host, to_joiner));
    EXPECT_EQ(to_host.token, first_token);

    // Codes are typed: a wrong one, and a host joining itself, are unknown.
    std::string wrong = code;
    wrong[0] = wrong[0] == 'A' ? 'C' : 'A';
    for (const CRendezvousSide* side : {&joiner, &host}) {
        const rdv::message refusal = answer_to(*side, server.port(), join(side == &host ? code : wrong));
        EXPECT_EQ(refusal.kind, rdv::REFUSED);
        EXPECT_EQ(refusal.reason, rdv::UNKNOWN_CODE);
    }
}

TEST(RendezvousServer, CodesEndOnUnregisterAndAfterTheirLifetime) {
    server_config config = roomy();
    config.code_lifetime_s = 2;
    CServedRendezvous server(config);
    ASSERT_TRUE(server.ready());
    CRendezvousSide leaving;
    CRendezvousSide silent;
    CRendezvousSide kept;
    CRendezvousSide joiner;
    const std::string left_code = registered(leaving, server.port());
    const std::string silent_code = registered(silent, server.port());
    const std::string kept_code = registered(kept, server.port());
    ASSERT_FALSE(left_code.empty() || silent_code.empty() || kept_code.empty());

    leaving.send(server.port(), rdv_message(rdv::UNREGISTER));
    EXPECT_EQ(answer_to(joiner, server.port(), join(left_code)).reason, rdv::UNKNOWN_CODE);

    // Past the lifetime (the sweep runs once a second) only the code kept alive is still there.
    for (int i = 0; i < 8; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        EXPECT_EQ(registered(kept, server.port()), kept_code);
    }
    EXPECT_EQ(answer_to(joiner, server.port(), join(silent_code)).reason, rdv::UNKNOWN_CODE);
    EXPECT_EQ(answer_to(joiner, server.port(), join(kept_code)).kind, rdv::INTRODUCE);
    // A host that registers again after its code went gets a new code.
    const std::string again = registered(silent, server.port());
    EXPECT_FALSE(again.empty());
}

TEST(RendezvousServer, RequestsBeyondTheRateAreRefusedOnceThenIgnored) {
    CServedRendezvous server{server_config()};
    ASSERT_TRUE(server.ready());
    CRendezvousSide guesser;
    for (int i = 0; i < 40; ++i)
        guesser.send(server.port(), join("ACDEFG"));
    guesser.send(server.port(), rdv_message(rdv::REGISTER));
    int unknown = 0;
    int too_many = 0;
    int others = 0;
    rdv::message m;
    while (guesser.receive(m, 0.3)) {
        if (m.kind == rdv::REFUSED && m.reason == rdv::UNKNOWN_CODE)
            ++unknown;
        else if (m.kind == rdv::REFUSED && m.reason == rdv::TOO_MANY)
            ++too_many;
        else
            ++others;
    }
    // The burst of 20, perhaps one more refilled meanwhile; told once that it is too many.
    EXPECT_GE(unknown, 20);
    EXPECT_LE(unknown, 22);
    EXPECT_EQ(too_many, 1);
    EXPECT_EQ(others, 0);
    // Pings spend the same budget as every request (40 at once, 20 a second): of a burst of 60 only
    // what refilled since (at least the 0.3 s of the wait above) is answered; then it refills.
    rdv::message ping = rdv_message(rdv::PING);
    ping.nonce = 77;
    for (int i = 0; i < 60; ++i)
        guesser.send(server.port(), ping);
    const int pongs = guesser.count_arrivals(0.3);
    EXPECT_GE(pongs, 1);
    EXPECT_LE(pongs, 30);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    const rdv::message pong = answer_to(guesser, server.port(), ping);
    EXPECT_EQ(pong.kind, rdv::PONG);
    EXPECT_EQ(pong.nonce, 77u);
    EXPECT_EQ(answer_to(guesser, server.port(), join("ACDEFG")).reason, rdv::UNKNOWN_CODE);
}

TEST(RendezvousServer, RelaysOnlyAPairThatBothAskedAndOnlyBetweenThem) {
    CServedRendezvous server(roomy());
    ASSERT_TRUE(server.ready());
    CRendezvousSide host;
    CRendezvousSide joiner;
    CRendezvousSide stranger;
    const std::uint64_t token = introduced(host, joiner, server.port());
    ASSERT_NE(token, 0u);

    // One side asking, or a stranger with the token, starts nothing.
    joiner.send(server.port(), with_token(rdv::RELAY, token));
    stranger.send(server.port(), with_token(rdv::RELAY, token));
    EXPECT_EQ(joiner.count_arrivals(0.3), 0);
    EXPECT_EQ(stranger.count_arrivals(0.1), 0);
    EXPECT_FALSE(forwarded(joiner, host, server.port(), GAME_DATAGRAM));

    host.send(server.port(), with_token(rdv::RELAY, token));
    rdv::message a;
    rdv::message b;
    ASSERT_TRUE(both_told(host, joiner, rdv::RELAYING, a, b));
    EXPECT_EQ(a.token, token);
    EXPECT_EQ(stranger.count_arrivals(0.1), 0);

    EXPECT_TRUE(forwarded(joiner, host, server.port(), GAME_DATAGRAM));
    EXPECT_TRUE(forwarded(host, joiner, server.port(), GAME_DATAGRAM));
    const std::vector<std::uint8_t> largest(rdv::MAX_DATAGRAM, 7);
    EXPECT_TRUE(forwarded(host, joiner, server.port(), largest));
    // A request repeated is answered again; rendezvous messages are the server's own, never forwarded.
    EXPECT_EQ(answer_to(joiner, server.port(), with_token(rdv::RELAY, token)).kind, rdv::RELAYING);
    EXPECT_FALSE(forwarded(host, joiner, server.port(), rdv::encode(with_token(rdv::PUNCH, token))));

    // The stranger's datagrams go nowhere, and it never receives the pair's.
    EXPECT_FALSE(forwarded(stranger, host, server.port(), GAME_DATAGRAM));
    EXPECT_EQ(joiner.count_arrivals(0.1), 0);
    EXPECT_FALSE(forwarded(host, stranger, server.port(), GAME_DATAGRAM));
    joiner.count_arrivals(0.1);
}

TEST(RendezvousServer, ARelayKeepsToItsBandwidthAndEndsWhenQuiet) {
    server_config config = roomy();
    config.relay_bytes_per_second = 1000;
    config.relay_idle_s = 1;
    CServedRendezvous server(config);
    ASSERT_TRUE(server.ready());
    CRendezvousSide host;
    CRendezvousSide joiner;
    ASSERT_TRUE(relayed(host, joiner, server.port()));

    // A second's worth at once, then the rest dropped: at most 1000 bytes plus what refilled meanwhile.
    const std::vector<std::uint8_t> chunk(400, 1);
    for (int i = 0; i < 10; ++i)
        host.send_raw(server.port(), chunk);
    const int through = joiner.count_arrivals(0.3);
    EXPECT_GE(through, 2);
    EXPECT_LE(through, 3);
    // The other way has a budget of its own.
    EXPECT_TRUE(forwarded(joiner, host, server.port(), chunk));

    std::this_thread::sleep_for(std::chrono::milliseconds(2600));
    EXPECT_FALSE(forwarded(host, joiner, server.port(), GAME_DATAGRAM));
}

TEST(RendezvousServer, GarbageAndOversizedDatagramsLeaveItServing) {
    CServedRendezvous server(roomy());
    ASSERT_TRUE(server.ready());
    CRendezvousSide host;
    CRendezvousSide joiner;
    CRendezvousSide attacker;
    ASSERT_TRUE(relayed(host, joiner, server.port()));

    std::vector<std::uint8_t> register_bytes = rdv::encode(rdv_message(rdv::REGISTER));
    std::vector<std::vector<std::uint8_t>> junk = {
        {},
        {'Z', 'V', 'R'},
        {'Z', 'V', 'R', 2, 1},
        std::vector<std::uint8_t>(rdv::MAX_DATAGRAM + 1, 0),
        std::vector<std::uint8_t>(60000, 'Z'),
    };
    register_bytes.push_back(0);
    junk.push_back(register_bytes);
    for (std::uint32_t i = 0; i < 2000; ++i) {
        std::vector<std::uint8_t> noise(1 + i % 300);
        for (std::size_t k = 0; k < noise.size(); ++k)
            noise[k] = static_cast<std::uint8_t>((i * 2654435761u + k * 40503u) >> 13);
        if (i % 2 == 0)
            noise.insert(noise.begin(), {'Z', 'V', 'R', rdv::VERSION});
        rdv::message m;
        if (!rdv::decode(noise.data(), noise.size(), m))
            junk.push_back(noise);
    }
    for (const auto& j : junk)
        attacker.send_raw(server.port(), j);
    EXPECT_EQ(attacker.count_arrivals(0.5), 0);

    // A side of the pair sending more than the largest datagram: dropped, not cut and forwarded.
    host.send_raw(server.port(), std::vector<std::uint8_t>(rdv::MAX_DATAGRAM + 1, 9));
    EXPECT_EQ(joiner.count_arrivals(0.3), 0);
    EXPECT_TRUE(forwarded(host, joiner, server.port(), GAME_DATAGRAM));
    CRendezvousSide newcomer;
    EXPECT_FALSE(registered(newcomer, server.port()).empty());
}

TEST(RendezvousServer, FullTablesAnswerServerFull) {
    server_config config = roomy();
    config.max_hosts = 2;
    config.max_relays = 1;
    CServedRendezvous server(config);
    ASSERT_TRUE(server.ready());
    CRendezvousSide hosts[3];
    CRendezvousSide joiners[2];
    ASSERT_TRUE(relayed(hosts[0], joiners[0], server.port()));
    const std::uint64_t token = introduced(hosts[1], joiners[1], server.port());
    ASSERT_NE(token, 0u);
    const rdv::message full = answer_to(hosts[2], server.port(), rdv_message(rdv::REGISTER));
    EXPECT_EQ(full.kind, rdv::REFUSED);
    EXPECT_EQ(full.reason, rdv::SERVER_FULL);

    hosts[1].send(server.port(), with_token(rdv::RELAY, token));
    joiners[1].send(server.port(), with_token(rdv::RELAY, token));
    for (const CRendezvousSide* side : {&hosts[1], &joiners[1]}) {
        rdv::message m;
        ASSERT_TRUE(side->receive(m));
        EXPECT_EQ(m.kind, rdv::REFUSED);
        EXPECT_EQ(m.reason, rdv::SERVER_FULL);
    }
    // The first pair goes on; a host that leaves makes room.
    EXPECT_TRUE(forwarded(hosts[0], joiners[0], server.port(), GAME_DATAGRAM));
    hosts[1].send(server.port(), rdv_message(rdv::UNREGISTER));
    EXPECT_FALSE(registered(hosts[2], server.port()).empty());
}
