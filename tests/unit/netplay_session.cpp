// Two sessions in one program, over 127.0.0.1, each driving a toy board: a running hash of the
// commands it applied and when, which it can take back to any step it kept. Real ENet underneath; the
// lossy cases go through a relay.
#include "game/netplay/netplay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <thread>

#include "loopback_socket.h"
#include "rogue_peer.h"
#include "toy_match.h"
#include "udp_relay.h"

namespace {

std::vector<applied> merged_script(const toy_player& a, const toy_player& b) {
    std::vector<scripted> all = a.expected;
    all.insert(all.end(), b.expected.begin(), b.expected.end());
    std::stable_sort(all.begin(), all.end(), [](const scripted& x, const scripted& y) {
        return x.what.step != y.what.step ? x.what.step < y.what.step : x.side < y.side;
    });
    std::vector<applied> out;
    for (const scripted& s : all)
        out.push_back(s.what);
    return out;
}

void play_and_compare(toy_player& host, toy_player& joiner, std::uint32_t steps, bool paced, double limit) {
    ASSERT_TRUE(pump(
        host, joiner, limit,
        [&] {
            // Run ahead of the other side, a board may still go back: only a confirmed one is final.
            return host.session.confirmed() == steps && joiner.session.confirmed() == steps;
        },
        paced, steps))
        << host.session.next_step() << " / " << joiner.session.next_step();
    EXPECT_TRUE(both_playing(host, joiner)) << host.session.note() << " / " << joiner.session.note();
    EXPECT_EQ(host.board, joiner.board);
    EXPECT_EQ(host.checkpoints, joiner.checkpoints);
    EXPECT_EQ(host.checkpoints.size(), steps / CNetSession::HASH_PERIOD);
    // Every command landed exactly `delay` steps after the step it was made at, on both boards.
    std::vector<applied> script = merged_script(host, joiner);
    std::vector<applied> due;
    for (const applied& a : script)
        if (a.step < steps)
            due.push_back(a);
    EXPECT_GT(due.size(), steps / 40);
    EXPECT_EQ(host.log, due);
    EXPECT_EQ(joiner.log, due);
    // What the session hands a follower of the match, once each step is final, is what was played.
    EXPECT_EQ(host.confirmed_log, due);
    EXPECT_EQ(joiner.confirmed_log, due);
}

// Datagrams of random bytes from a stranger to a port of 127.0.0.1.
void spray(std::uint16_t to, int count, unsigned seed) {
    CLoopbackSocket stranger;
    std::mt19937 random(seed);
    for (int i = 0; i < count; ++i) {
        unsigned char junk[64];
        const std::size_t n = 1 + random() % sizeof junk;
        for (std::size_t j = 0; j < n; ++j)
            junk[j] = static_cast<unsigned char>(random());
        stranger.send_to(to, junk, n);
    }
}

}  // namespace

TEST(NetplaySession, TwoPeersPlayTheSameMatchCommandForCommand) {
    // Lockstep on both sides, rollback on both, and one of each: the same commands at the same steps.
    for (const auto& [host_rolls, joiner_rolls] : {std::pair{false, false}, {true, true}, {true, false}}) {
        SCOPED_TRACE(std::string(host_rolls ? "rolling" : "lockstep") + " host, " +
                     (joiner_rolls ? "rolling" : "lockstep") + " joiner");
        toy_player host(ME, 1, host_rolls), joiner(ME, 2, joiner_rolls);
        connect_pair(host, joiner, 0, 4);
        EXPECT_EQ(host.session.local_side(), BLUE_STATION);
        EXPECT_EQ(joiner.session.local_side(), RED_STATION);
        if (!joiner_rolls) {
            EXPECT_EQ(joiner.session.input_delay(), 4);  // the host's choice
        }

        play_and_compare(host, joiner, 3000, false, 60);

        // Datagrams from a third party on the host's port change nothing.
        spray(host.session.port(), 200, 7);
        play_and_compare(host, joiner, 3600, false, 30);
    }
}

// 1,500 steps at the game's pace through a relay with `faults`, both sides rolling back: the boards
// stay identical and every command lands where it was scheduled; prints what a player would feel.
void rolling_through_relay(const char* name, relay_faults faults) {
    toy_player host(ME, 3, true), joiner(ME, 4, true);
    std::string error;
    ASSERT_TRUE(host.session.host(0, CNetSession::DEFAULT_DELAY, error, "127.0.0.1")) << error;
    CUdpRelay relay(host.session.port(), faults);
    ASSERT_TRUE(relay.ok());
    ASSERT_TRUE(joiner.session.join("127.0.0.1", relay.port(), error)) << error;
    ASSERT_TRUE(pump(host, joiner, 10, [&] { return both_playing(host, joiner); }));

    const std::uint32_t steps = 1500;  // 15 s of play at the game's pace: some sixty rollbacks a side
    const double start = seconds_now();
    // A starved process loses pace, so the bound is generous.
    play_and_compare(host, joiner, steps, true, 120);
    const double minutes = (seconds_now() - start) / 60;
    EXPECT_GT(relay.dropped(), 0);
    std::printf("%s\n", name);
    for (const toy_player* p : {&host, &joiner}) {
        std::vector<std::uint32_t> depths = p->rollback_depths;
        std::sort(depths.begin(), depths.end());
        const std::uint32_t p99 = depths.empty() ? 0 : depths[depths.size() * 99 / 100];
        std::printf(
            "  %s: round trip %.0f ms, own commands after %u steps at most; %.1f stalls per minute, "
            "longest %.0f ms, %.2f s stalled in %.2f min; %zu rollbacks, depth 99th percentile %u, "
            "most %u\n",
            p == &host ? "host" : "joiner", 1000 * p->session.round_trip(), p->slowest_command,
            p->stalls / minutes, 1000 * p->longest_stall, p->stalled_seconds, minutes, depths.size(), p99,
            depths.empty() ? 0 : depths.back());
        EXPECT_LE(p->slowest_command, static_cast<std::uint32_t>(CNetSession::MAX_ROLLBACK_DELAY));
        EXPECT_FALSE(depths.empty());  // the relay's delays are longer than a step: predictions missed
    }
    std::printf("  relay: %ld datagrams passed, %ld dropped\n", relay.forwarded(), relay.dropped());
}

TEST(NetplaySession, ALossyNetworkNeverChangesTheMatch) {
    rolling_through_relay("10 % loss, 0 to 100 ms each way:", relay_faults{});
    relay_faults ocean;
    ocean.drop = 0.02;
    ocean.duplicate = 0;
    ocean.min_delay = 0.065;  // 150 ms round trip, give or take 20
    ocean.max_delay = 0.085;
    rolling_through_relay("2 % loss, 150 +- 20 ms round trip:", ocean);
}

TEST(NetplaySession, PlayersThatCannotShareTheMatchAreToldWhy) {
    {
        toy_player host(ME, 1), other_version(net_identity{"1.2", ME.rules}, 2);
        std::string error;
        ASSERT_TRUE(host.session.host(0, 6, error, "127.0.0.1"));
        ASSERT_TRUE(other_version.session.join("127.0.0.1", host.session.port(), error));
        ASSERT_TRUE(
            pump(host, other_version, 5, [&] { return other_version.session.state() == CNetSession::OVER; }));
        EXPECT_EQ(other_version.session.note(), "The host runs version 1.1, this is version 1.2");
        EXPECT_EQ(host.session.state(), CNetSession::WAITING);  // still waiting for a fitting player
        EXPECT_NE(host.session.note().find("version 1.2, this is version 1.1"), std::string::npos)
            << host.session.note();

        // Someone with the same rules gets in after that.
        toy_player fitting(ME, 3);
        ASSERT_TRUE(fitting.session.join("127.0.0.1", host.session.port(), error));
        ASSERT_TRUE(pump(host, fitting, 5, [&] { return both_playing(host, fitting); }));

        // A third player finds the match full; the match goes on.
        toy_player third(ME, 4);
        ASSERT_TRUE(third.session.join("127.0.0.1", host.session.port(), error));
        ASSERT_TRUE(pump(host, third, 5, [&] { return third.session.state() == CNetSession::OVER; }));
        EXPECT_EQ(third.session.note(), "The match is full");
        EXPECT_EQ(host.session.state(), CNetSession::PLAYING);
    }
    {
        toy_player host(ME, 1), other_rules(net_identity{ME.program, ME.rules + 1}, 2);
        std::string error;
        ASSERT_TRUE(host.session.host(0, 6, error, "127.0.0.1"));
        ASSERT_TRUE(other_rules.session.join("127.0.0.1", host.session.port(), error));
        ASSERT_TRUE(
            pump(host, other_rules, 5, [&] { return other_rules.session.state() == CNetSession::OVER; }));
        EXPECT_NE(other_rules.session.note().find("different rules"), std::string::npos);
        EXPECT_NE(host.session.note().find("different rules"), std::string::npos);
    }
}

TEST(NetplaySession, AHostThatDoesNotAnswerIsGivenUpWithinFiveSeconds) {
    CLoopbackSocket nobody;  // never answers
    toy_player joiner(ME, 1), idle(ME, 2);
    std::string error;
    ASSERT_TRUE(joiner.session.join("127.0.0.1", nobody.port(), error));
    const double start = seconds_now();
    ASSERT_TRUE(pump(joiner, idle, 7, [&] { return joiner.session.state() == CNetSession::OVER; }));
    EXPECT_LE(seconds_now() - start, CNetSession::CONNECT_LIMIT + 0.5);
    EXPECT_EQ(joiner.session.note(), "No answer from 127.0.0.1:" + std::to_string(nobody.port()));

    toy_player nowhere(ME, 3);
    EXPECT_FALSE(nowhere.session.join("no such host.invalid", 1, error));
    EXPECT_NE(error.find("unknown host"), std::string::npos);
}

TEST(NetplaySession, BoardsThatDifferEndTheMatchOnBothSides) {
    for (const bool rolling : {false, true}) {
        toy_player host(ME, 1, rolling), joiner(ME, 2, rolling);
        connect_pair(host, joiner);
        joiner.hash_offset = 1;
        ASSERT_TRUE(pump(
            host, joiner, 10,
            [&] {
                return host.session.state() == CNetSession::OVER &&
                       joiner.session.state() == CNetSession::OVER;
            },
            false, 1000));
        EXPECT_EQ(host.session.note(), "Out of sync");
        EXPECT_EQ(joiner.session.note(), "Out of sync");
        EXPECT_LE(host.session.next_step(),
                  CNetSession::HASH_PERIOD + 6 + (rolling ? CNetSession::ROLLBACK_REACH : 0));
    }
}

void next_match_and_leave(bool rolling) {
    toy_player host(ME, 1, rolling), joiner(ME, 2, rolling);
    connect_pair(host, joiner);
    ASSERT_TRUE(pump(
        host, joiner, 10, [&] { return joiner.session.next_step() >= 50; }, false, 50));

    ASSERT_TRUE(pump(
        host, joiner, 10,
        [&] { return host.session.next_step() == 200 && joiner.session.next_step() == 200; }, false, 200));

    // The next match starts once both sides asked for it, from step 0 on both, the last one ended at
    // the same step on both boards: the host names it, the joining side goes back to it.
    const std::uint32_t unbounded = 1000000;
    host.session.ready_for_next_match();
    pump(host, joiner, 0.3, [] { return false; });
    EXPECT_TRUE(joiner.session.ready_there());
    EXPECT_FALSE(host.session.take_new_match());
    joiner.session.ready_for_next_match();
    ASSERT_TRUE(pump(
        host, joiner, 5, [&] { return host.session.match() == 1 && joiner.session.match() == 1; }, false,
        unbounded));
    EXPECT_TRUE(host.session.take_new_match());
    EXPECT_TRUE(joiner.session.take_new_match());
    pump(host, joiner, 0.01, [] { return false; });
    ASSERT_EQ(host.ended.size(), 1u);
    EXPECT_EQ(host.ended, joiner.ended);
    EXPECT_GT(host.ended[0].steps, 200u);
    play_and_compare(host, joiner, 300, false, 20);

    // Leaving: both boards run on to the announced step and stop there, alike.
    // The step announced is where this side's commands end; the other side, run ahead of them, goes
    // back to it.
    const std::uint32_t last = joiner.session.command_step();
    joiner.session.announce_leave();
    const std::uint32_t no_limit = 1000000;
    ASSERT_TRUE(pump(
        host, joiner, 5, [&] { return joiner.session.leave_step_reached(); }, false, no_limit));
    joiner.session.leave();
    ASSERT_TRUE(pump(
        host, joiner, 5, [&] { return host.session.state() == CNetSession::OVER; }, false, no_limit));
    EXPECT_EQ(host.session.note(), "Opponent left");
    EXPECT_EQ(joiner.session.note(), "");
    EXPECT_EQ(host.session.next_step(), last);
    EXPECT_EQ(joiner.session.next_step(), last);
    EXPECT_EQ(host.board, joiner.board);
}

TEST(NetplaySession, NextMatchAndLeaveReachTheOtherSide) {
    next_match_and_leave(false);
    next_match_and_leave(true);
}

TEST(NetplaySession, ANewMatchAskedForDuringAMatchIsDeclinedOrAccepted) {
    // 40 ms each way: the two boards are steps apart when the word comes.
    toy_player host(ME, 3, true), joiner(ME, 4, true);
    std::string error;
    ASSERT_TRUE(host.session.host(0, CNetSession::DEFAULT_DELAY, error, "127.0.0.1")) << error;
    CUdpRelay relay(host.session.port(), relay_faults{0, 0, 0.04, 0.04, 1});
    ASSERT_TRUE(relay.ok());
    ASSERT_TRUE(joiner.session.join("127.0.0.1", relay.port(), error)) << error;
    ASSERT_TRUE(pump(host, joiner, 5, [&] { return both_playing(host, joiner); }));
    ASSERT_TRUE(pump(
        host, joiner, 10, [&] { return joiner.session.next_step() >= 50; }, false, 50));

    // Declined: the asking side hears it once, the match goes on and either may ask again.
    joiner.session.ready_for_next_match();
    ASSERT_TRUE(pump(host, joiner, 5, [&] { return host.session.ready_there(); }));
    host.session.decline_next_match();
    EXPECT_FALSE(host.session.ready_there());
    ASSERT_TRUE(pump(host, joiner, 5, [&] { return !joiner.session.ready_here(); }));
    EXPECT_TRUE(joiner.session.take_declined());
    EXPECT_FALSE(joiner.session.take_declined());
    EXPECT_FALSE(host.session.take_declined());
    EXPECT_EQ(host.session.match(), 0);
    EXPECT_EQ(joiner.session.state(), CNetSession::PLAYING);
    ASSERT_TRUE(pump(
        host, joiner, 10,
        [&] { return host.session.next_step() >= 100 && joiner.session.next_step() >= 100; }, false, 100));

    // Asked again and accepted, each side running at its own pace meanwhile: both end this match at
    // the step the host named, with the same board, and start the next from step 0.
    joiner.session.ready_for_next_match();
    ASSERT_TRUE(pump(
        host, joiner, 5, [&] { return host.session.ready_there(); }, true, UINT32_MAX));
    pump(
        host, joiner, 0.5, [] { return false; }, true, UINT32_MAX);
    host.session.ready_for_next_match();
    ASSERT_TRUE(pump(
        host, joiner, 5, [&] { return joiner.session.match() == 1 && host.session.match() == 1; }, true,
        UINT32_MAX));
    EXPECT_TRUE(host.session.take_new_match());
    EXPECT_TRUE(joiner.session.take_new_match());
    pump(host, joiner, 0.01, [] { return false; });
    ASSERT_EQ(host.ended.size(), 1u);
    EXPECT_EQ(host.ended, joiner.ended) << host.ended[0].steps << " / " << joiner.ended[0].steps;
    EXPECT_FALSE(joiner.session.take_declined());
    // A decline with nothing asked is not sent and changes nothing.
    host.session.decline_next_match();
    pump(host, joiner, 0.2, [] { return false; });
    EXPECT_FALSE(joiner.session.take_declined());
    EXPECT_EQ(joiner.session.state(), CNetSession::PLAYING);
}

TEST(NetplaySession, ASideThatVanishesIsNoticedWithinFiveSeconds) {
    auto host = std::make_unique<toy_player>(ME, 1);
    toy_player joiner(ME, 2);
    connect_pair(*host, joiner);
    ASSERT_TRUE(pump(
        *host, joiner, 10, [&] { return joiner.session.next_step() >= 100; }, false, 100));
    host.reset();  // gone without a word, as a killed program
    toy_player idle(ME, 3);
    const double start = seconds_now();
    ASSERT_TRUE(pump(joiner, idle, 8, [&] { return joiner.session.state() == CNetSession::OVER; }));
    EXPECT_LE(seconds_now() - start, CNetSession::SILENCE_LIMIT + 0.5);
    EXPECT_EQ(joiner.session.note(), "Connection lost");
}

// A peer that speaks the protocol by hand, greeted by the host, then breaking the rules.
TEST(NetplaySession, APlayerThatBreaksTheRulesEndsTheMatchWithAReason) {
    using namespace netmsg;
    message steer_blue;  // the joining side plays red; blue is the host's
    steer_blue.type = INPUTS;
    steer_blue.until = 10;
    steer_blue.inputs = {{3, static_cast<std::uint8_t>(TARGET_BLUE << 4 | CMD_CHARGE)}};
    const std::vector<std::vector<std::uint8_t>> offences = {encode(steer_blue),
                                                             {MAGIC, PROTOCOL_VERSION, 99}};
    for (const std::vector<std::uint8_t>& offence : offences) {
        toy_player host(ME, 1);
        std::string error;
        ASSERT_TRUE(host.session.host(0, 6, error, "127.0.0.1"));
        CRoguePeer rogue(host.session.port(), ME.program, ME.rules);
        bool offended = false;
        const double end = seconds_now() + 5;
        while (seconds_now() < end && host.session.state() != CNetSession::OVER) {
            host.session.poll(seconds_now());
            rogue.service(1);
            if (rogue.welcomed && !offended) {
                rogue.send(offence);
                offended = true;
            }
        }
        EXPECT_TRUE(rogue.welcomed);
        EXPECT_EQ(host.session.state(), CNetSession::OVER);
        EXPECT_EQ(host.session.note(), "The other side sent a message this program does not understand");
        EXPECT_EQ(host.session.next_step(), 0u);
    }
}
