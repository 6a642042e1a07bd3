// The rendezvous server against senders who would take from everybody else, over real sockets on
// loopback addresses standing for addresses and networks of their own (127.A.B.C: network 127.A.B):
// requests that do not prove their source, more places than a sender may hold, relays flooded with
// small datagrams, and joins that would aim a host's probes where the joiner chooses.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "rendezvous_exchanges.h"
#include "served_rendezvous.h"

namespace {

std::uint32_t loopback(int network, int host) {
    return 0x7f000000u | static_cast<std::uint32_t>(network) << 8 | static_cast<std::uint32_t>(host);
}

// `count` sides on one address.
std::vector<std::unique_ptr<CRendezvousSide>> sides_at(std::uint32_t address, int count) {
    std::vector<std::unique_ptr<CRendezvousSide>> sides;
    for (int i = 0; i < count; ++i)
        sides.push_back(std::make_unique<CRendezvousSide>(address));
    return sides;
}

// The one answer to raw bytes, or an empty vector when none came (or more than one).
std::vector<std::uint8_t> sole_answer(const CRendezvousSide& side, std::uint16_t server,
                                      const std::vector<std::uint8_t>& bytes) {
    side.send_raw(server, bytes);
    std::vector<std::uint8_t> got;
    std::uint16_t from = 0;
    if (!side.receive_raw(got, from, 0.5))
        return {};
    return side.count_arrivals(0.1) == 0 ? got : std::vector<std::uint8_t>();
}

rdv::message decoded(const std::vector<std::uint8_t>& bytes) {
    rdv::message m = rdv_message(rdv::UNREGISTER);
    rdv::decode(bytes.data(), bytes.size(), m);
    return m;
}

}  // namespace

TEST(ProofOfAddress, ARequestThatDoesNotProveItsSourceGetsACookieNoLargerThanItselfAndNothingElse) {
    CServedRendezvous server(roomy());
    ASSERT_TRUE(server.ready());
    const CRendezvousSide asker;
    rdv::message reg = rdv_message(rdv::REGISTER);
    reg.locals = {ep(0xc0a80002, 1), ep(0xc0a80003, 2), ep(0xc0a80004, 3), ep(0xc0a80005, 4)};
    std::vector<rdv::message> requests = {reg, rdv_message(rdv::UNREGISTER), join("ACDEFG"),
                                          with_token(rdv::RELAY, 5), rdv_message(rdv::PING)};
    rdv::cookie given{};
    for (const rdv::message& m : requests) {
        const std::vector<std::uint8_t> bytes = rdv::encode(m);
        const std::vector<std::uint8_t> answer = sole_answer(asker, server.port(), bytes);
        ASSERT_FALSE(answer.empty()) << int(m.kind);
        EXPECT_EQ(decoded(answer).kind, rdv::COOKIE) << int(m.kind);
        EXPECT_LE(answer.size(), bytes.size()) << int(m.kind);
        given = decoded(answer).proof;
    }
    EXPECT_NE(given, rdv::cookie{});

    // Another port of the same address, or the cookie altered in any byte, proves nothing.
    const CRendezvousSide other;
    reg.proof = given;
    EXPECT_EQ(decoded(sole_answer(other, server.port(), rdv::encode(reg))).kind, rdv::COOKIE);
    for (std::size_t at : {0, 4, 15}) {
        rdv::message altered = reg;
        altered.proof[at] ^= 1;
        EXPECT_EQ(decoded(sole_answer(asker, server.port(), rdv::encode(altered))).kind, rdv::COOKIE) << at;
    }
    // Its own cookie, back from where it went: registered, with a fresh cookie for what follows.
    const rdv::message registered_answer = decoded(sole_answer(asker, server.port(), rdv::encode(reg)));
    EXPECT_EQ(registered_answer.kind, rdv::REGISTERED);
    EXPECT_NE(registered_answer.proof, rdv::cookie{});
}

TEST(ProofOfAddress, AProgramOfAnotherVersionIsToldInBytesItReadsAndNoMore) {
    CServedRendezvous server(roomy());
    ASSERT_TRUE(server.ready());
    const CRendezvousSide old;
    // The first version's registration (no mapping, no locals) and join, as its programs send them.
    const std::vector<std::uint8_t> first_register = {'Z', 'V', 'R', 1, 1, 0, 0, 0, 0, 0, 0, 0};
    const std::vector<std::uint8_t> first_join = {'Z', 'V', 'R', 1, 4, 'A', 'C', 'D', 'E', 'F', 'G', 0};
    for (const auto& request : {first_register, first_join}) {
        const std::vector<std::uint8_t> answer = sole_answer(old, server.port(), request);
        EXPECT_EQ(answer, rdv::encode_version_refusal(1));
        EXPECT_LE(answer.size(), request.size());
    }
    // A later version's registration: the refusal every version reads.
    std::vector<std::uint8_t> later = first_register;
    later[3] = rdv::VERSION + 1;
    EXPECT_EQ(sole_answer(old, server.port(), later), rdv::encode_version_refusal(rdv::VERSION + 1));
    // What would not start a player's attempt, or is shorter than the refusal, gets nothing.
    old.send_raw(server.port(), {'Z', 'V', 'R', 1, 3});
    old.send_raw(server.port(), {'Z', 'V', 'R', 1, 10, 0, 0, 0, 0});
    EXPECT_EQ(old.count_arrivals(0.3), 0);
}

TEST(Quotas, HostPlacesPerAddressAndNetworkAndTheNewestAskerIsRefused) {
    server_config config = roomy();
    config.max_hosts = 5;
    config.hosts_per_address = 2;
    config.hosts_per_network = 3;
    CServedRendezvous server(config);
    ASSERT_TRUE(server.ready());
    const auto a = sides_at(loopback(1, 1), 3);
    const auto b = sides_at(loopback(1, 2), 2);  // a's network
    const auto c = sides_at(loopback(2, 1), 2);
    const CRendezvousSide d(loopback(3, 1));

    const std::string first = registered(*a[0], server.port());
    EXPECT_FALSE(first.empty());
    EXPECT_FALSE(registered(*a[1], server.port()).empty());
    EXPECT_EQ(answer_to(*a[2], server.port(), rdv_message(rdv::REGISTER)).reason, rdv::TOO_MANY);
    EXPECT_FALSE(registered(*b[0], server.port()).empty());
    EXPECT_EQ(answer_to(*b[1], server.port(), rdv_message(rdv::REGISTER)).reason, rdv::TOO_MANY);
    for (const auto& side : c)
        EXPECT_FALSE(registered(*side, server.port()).empty());
    const rdv::message full = answer_to(d, server.port(), rdv_message(rdv::REGISTER));
    EXPECT_EQ(full.kind, rdv::REFUSED);
    EXPECT_EQ(full.reason, rdv::SERVER_FULL);

    // Nobody who holds a place lost it to the askers; one given up goes to the next asker of that address.
    EXPECT_EQ(registered(*a[0], server.port()), first);
    a[1]->send(server.port(), rdv_message(rdv::UNREGISTER));
    EXPECT_FALSE(registered(*a[2], server.port()).empty());
}

TEST(Quotas, AHostsPlaceLastsWhileItsKeepAlivesComeAndNoLonger) {
    server_config config = roomy();
    config.max_hosts = 1;
    config.code_lifetime_s = 3;
    CServedRendezvous server(config);
    ASSERT_TRUE(server.ready());
    const CRendezvousSide host;
    const CRendezvousSide silent;
    const CRendezvousSide newcomer;
    const std::string code = registered(host, server.port());
    ASSERT_FALSE(code.empty());
    // Kept alive past its lifetime, the place stays its own.
    for (int i = 0; i < 5; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        EXPECT_EQ(registered(host, server.port()), code);
        EXPECT_EQ(answer_to(newcomer, server.port(), rdv_message(rdv::REGISTER)).reason, rdv::SERVER_FULL);
    }
    // Once its keep-alives stop, the place is free within the lifetime and the sweep's second.
    bool taken = false;
    for (int i = 0; i < 50 && !taken; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        taken = !registered(silent, server.port()).empty();
    }
    EXPECT_TRUE(taken);
    EXPECT_EQ(answer_to(newcomer, server.port(), join(code)).reason, rdv::UNKNOWN_CODE);
}

TEST(Quotas, RelayedPairsPerAddressAndNetwork) {
    server_config config = roomy();
    config.relays_per_address = 2;
    config.relays_per_network = 3;
    CServedRendezvous server(config);
    ASSERT_TRUE(server.ready());
    // Both sides of every pair on one address: a pair holds one place of it.
    const auto x = sides_at(loopback(4, 1), 6);
    const auto y = sides_at(loopback(4, 2), 4);  // x's network
    EXPECT_TRUE(relayed(*x[0], *x[1], server.port()));
    EXPECT_TRUE(relayed(*x[2], *x[3], server.port()));
    EXPECT_FALSE(relayed(*x[4], *x[5], server.port()));
    EXPECT_TRUE(relayed(*y[0], *y[1], server.port()));
    EXPECT_FALSE(relayed(*y[2], *y[3], server.port()));

    // Another pair from elsewhere is relayed, and the pairs held go on.
    const CRendezvousSide host(loopback(5, 1));
    const CRendezvousSide joiner(loopback(6, 1));
    EXPECT_TRUE(relayed(host, joiner, server.port()));
    EXPECT_TRUE(forwarded(host, joiner, server.port(), GAME_DATAGRAM));
    EXPECT_TRUE(forwarded(*x[1], *x[0], server.port(), GAME_DATAGRAM));
}

TEST(Relays, SmallAndEmptyDatagramsSpendTheBudgetsAsLargeOnesDo) {
    server_config config = roomy();
    config.relay_datagrams_per_second = 50;
    config.relay_bytes_per_second = 100000;
    CServedRendezvous server(config);
    ASSERT_TRUE(server.ready());
    const CRendezvousSide host;
    const CRendezvousSide joiner;
    ASSERT_TRUE(relayed(host, joiner, server.port()));
    // A second's worth of datagrams at once, whatever their size, and what refilled meanwhile (a slow
    // machine takes a while to send 500).
    for (int i = 0; i < 500; ++i)
        host.send_raw(server.port(), {});
    int through = joiner.count_arrivals(0.3);
    EXPECT_GE(through, 50);
    EXPECT_LE(through, 100);

    // Bytes counted with the headers each datagram travels under: one-byte datagrams cost 29 each.
    config.relay_datagrams_per_second = 100000;
    config.relay_bytes_per_second = 2900;
    CServedRendezvous metered(config);
    ASSERT_TRUE(metered.ready());
    const CRendezvousSide other_host;
    const CRendezvousSide other_joiner;
    ASSERT_TRUE(relayed(other_host, other_joiner, metered.port()));
    for (int i = 0; i < 500; ++i)
        other_host.send_raw(metered.port(), {1});
    through = other_joiner.count_arrivals(0.3);
    EXPECT_GE(through, 100);
    EXPECT_LE(through, 200);
}

TEST(Joins, TheHostIsAimedOnlyAtWhatTheServerSawOfTheJoinerAndAtAFewJoinersAtOnce) {
    CServedRendezvous server(roomy());
    ASSERT_TRUE(server.ready());
    const CRendezvousSide host(loopback(8, 1));
    const std::string code = registered(host, server.port());
    ASSERT_FALSE(code.empty());

    // A joiner elsewhere naming four endpoints of its choice: the host hears only where it came from.
    const CRendezvousSide stranger(loopback(9, 1));
    rdv::message j = join(code);
    j.locals = {ep(0xc6336401, 80), ep(0xc6336402, 53), ep(0xcb007101, 123), ep(0xc0000201, 19)};
    stranger.send(server.port(), j);
    rdv::message to_host;
    rdv::message to_joiner;
    ASSERT_TRUE(both_told(host, stranger, rdv::INTRODUCE, to_host, to_joiner));
    EXPECT_EQ(to_host.seen, stranger.endpoint());
    EXPECT_TRUE(to_host.locals.empty());

    // Behind the host's own public address, the joiner's local endpoints are the way in: passed on.
    const CRendezvousSide neighbour(loopback(8, 1));
    j.locals = {ep(0xc0a80107, 24816)};
    neighbour.send(server.port(), j);
    ASSERT_TRUE(both_told(host, neighbour, rdv::INTRODUCE, to_host, to_joiner));
    EXPECT_EQ(to_host.locals, j.locals);

    // A third new joiner at once is introduced; a fourth is told to wait, and the host hears nothing.
    const CRendezvousSide third(loopback(9, 2));
    const CRendezvousSide fourth(loopback(9, 3));
    EXPECT_EQ(answer_to(third, server.port(), join(code)).kind, rdv::INTRODUCE);
    EXPECT_EQ(host.count_arrivals(0.2), 1);
    EXPECT_EQ(answer_to(fourth, server.port(), join(code)).reason, rdv::TOO_MANY);
    EXPECT_EQ(host.count_arrivals(0.2), 0);
    // The latest joiner asking again is the same introduction, which costs nothing.
    EXPECT_EQ(answer_to(third, server.port(), join(code)).kind, rdv::INTRODUCE);
}

TEST(Records, AHostThatGivesItsCodeUpIsNeverJoinedThroughItAgain) {
    CServedRendezvous server(roomy());
    ASSERT_TRUE(server.ready());
    const CRendezvousSide host;
    const CRendezvousSide joiner;
    const CRendezvousSide late;
    ASSERT_NE(introduced(host, joiner, server.port()), 0u);
    rdv::message reg_answer;
    const std::string code = [&] {
        host.send(server.port(), rdv_message(rdv::REGISTER));
        return host.receive(reg_answer) ? reg_answer.code : std::string();
    }();
    ASSERT_FALSE(code.empty());
    // Its introduction still pending, the host gives its code up: nobody joins through it any more,
    // not even the joiner of that introduction, and a new registration gets another code.
    host.send(server.port(), rdv_message(rdv::UNREGISTER));
    EXPECT_EQ(answer_to(late, server.port(), join(code)).reason, rdv::UNKNOWN_CODE);
    EXPECT_EQ(answer_to(joiner, server.port(), join(code)).reason, rdv::UNKNOWN_CODE);
    const std::string again = registered(host, server.port());
    EXPECT_FALSE(again.empty());
    EXPECT_NE(again, code);
}
