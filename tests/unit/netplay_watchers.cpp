// Watchers of a lockstep match in one program over 127.0.0.1: what they receive is what the host's
// board ran, step for step, and no watcher, slow, full or hostile, holds the players up.
#include "game/netplay/watch_session.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "rogue_peer.h"
#include "toy_match.h"

namespace {

using namespace netmsg;

// The host's log as a watcher holds it: every command with the step it was applied at.
std::vector<timed_input> as_watched(const std::vector<applied>& log) {
    std::vector<timed_input> out;
    for (const applied& a : log)
        out.push_back({a.step, command_byte({static_cast<command_target>(a.target),
                                             static_cast<std::uint8_t>(a.code)})});
    return out;
}

// The host's checkpoints with the steps they were taken after.
std::vector<step_hash> host_hashes(const toy_player& host) {
    std::vector<step_hash> out;
    for (std::size_t i = 0; i < host.checkpoints.size(); ++i)
        out.push_back({static_cast<std::uint32_t>((i + 1) * CNetSession::HASH_PERIOD), host.checkpoints[i]});
    return out;
}

std::unique_ptr<CWatchSession> watcher_of(const toy_player& host) {
    auto w = std::make_unique<CWatchSession>(ME);
    std::string error;
    EXPECT_TRUE(w->watch("127.0.0.1", host.session.port(), error)) << error;
    return w;
}

// The players' pump, with watchers polled on every turn.
template <class Done>
bool pump_all(toy_player& host, toy_player& joiner, const std::vector<CWatchSession*>& watchers, double limit,
              Done done, bool paced = false, std::uint32_t steps = UINT32_MAX) {
    return pump(
        host, joiner, limit,
        [&] {
            for (CWatchSession* w : watchers)
                w->poll(seconds_now());
            return done();
        },
        paced, steps);
}

// A watcher by hand: it greets as a watcher, then says only what the test makes it say.
class CHandWatcher {
  public:
    explicit CHandWatcher(std::uint16_t port) {
        std::string error;
        EXPECT_TRUE(link_.connect("127.0.0.1", port, error)) << error;
    }
    void service() {
        for (int i = 0; i < 100; ++i) {
            CNetLink::event e = link_.service(0);
            if (e.kind == CNetLink::NOTHING)
                return;
            if (e.kind == CNetLink::CONNECTED) {
                peer_ = e.peer;
                message hello;
                hello.type = WATCH;
                hello.program = ME.program;
                hello.rules = ME.rules;
                link_.send(peer_, encode(hello));
            } else if (e.kind == CNetLink::DISCONNECTED) {
                gone = true;
            } else {
                message m;
                std::uint8_t version = 0;
                if (decode(e.data.data(), e.data.size(), m, version) == DECODED)
                    heard.push_back(m);
            }
        }
    }
    void send(const message& m) { link_.send(peer_, encode(m)); }
    bool heard_type(message_type t) const {
        for (const message& m : heard)
            if (m.type == t)
                return true;
        return false;
    }
    std::vector<message> heard;
    bool gone = false;

  private:
    CNetLink link_;
    int peer_ = -1;
};

}  // namespace

TEST(NetplayWatchers, AWatcherJoiningMidMatchGetsEveryConfirmedStepAndTheHostsHashes) {
    toy_player host(ME, 3), joiner(ME, 4);
    connect_pair(host, joiner);
    ASSERT_TRUE(pump_all(host, joiner, {}, 10, [&] { return host.session.next_step() >= 700; }));
    auto late = watcher_of(host);
    ASSERT_TRUE(pump_all(
        host, joiner, {late.get()}, 20, [&] { return host.session.next_step() >= 2500; }, false, 2500));
    ASSERT_TRUE(pump_all(
        host, joiner, {late.get()}, 5,
        [&] { return !late->matches().empty() && late->matches().back().known == host.session.next_step(); },
        false, 2500))
        << late->note();
    ASSERT_EQ(late->matches().size(), 1u);
    const CWatchSession::watched_match& m = late->matches().front();
    EXPECT_EQ(m.number, 0);
    EXPECT_GT(host.log.size(), 60u);
    EXPECT_EQ(m.commands, as_watched(host.log));
    EXPECT_EQ(m.hashes, host_hashes(host));
    EXPECT_FALSE(m.ended);
    EXPECT_EQ(late->state(), CWatchSession::WATCHING);
}

TEST(NetplayWatchers, EightWatchersAreFedTheNinthIsRefusedAndAPlayerDuringTheMatchIsTurnedAway) {
    toy_player host(ME, 5), joiner(ME, 6);
    connect_pair(host, joiner);
    std::vector<std::unique_ptr<CWatchSession>> owned;
    std::vector<CWatchSession*> watchers;
    for (int i = 0; i < CWatchFeed::MAX_WATCHERS; ++i) {
        owned.push_back(watcher_of(host));
        watchers.push_back(owned.back().get());
    }
    ASSERT_TRUE(pump_all(host, joiner, watchers, 10, [&] { return host.session.watchers() == 8; }));
    auto ninth = watcher_of(host);
    watchers.push_back(ninth.get());
    ASSERT_TRUE(pump_all(host, joiner, watchers, 10, [&] { return ninth->state() == CWatchSession::OVER; }));
    EXPECT_EQ(ninth->note(), "The match has as many watchers as it takes");

    CRoguePeer third(host.session.port(), ME.program, ME.rules);
    const std::uint32_t until = host.session.next_step() + 300;
    ASSERT_TRUE(pump_all(host, joiner, watchers, 20, [&] {
        third.service(0);
        return host.session.next_step() >= until;
    }));
    for (int i = 0; i < 50 && third.refusals.empty(); ++i)
        third.service(10);
    ASSERT_EQ(third.refusals.size(), 1u);
    EXPECT_EQ(third.refusals[0].reason, MATCH_FULL);
    for (int i = 0; i < CWatchFeed::MAX_WATCHERS; ++i) {
        ASSERT_EQ(owned[i]->matches().size(), 1u);
        EXPECT_GT(owned[i]->matches().back().known, until - 300);
    }
    EXPECT_TRUE(both_playing(host, joiner));
}

TEST(NetplayWatchers, AWatcherThatFallsBehindIsLetGoAndThePlayersNeverWait) {
    toy_player host(ME, 7), joiner(ME, 8);
    connect_pair(host, joiner);
    CHandWatcher stuck(host.session.port());
    // It acknowledges nothing beyond the start: a program that stopped reading.
    message ack;
    ack.type = WATCH_ACK;
    double last_ack = 0;
    const double began = seconds_now();
    const std::uint32_t first = host.session.next_step();
    ASSERT_TRUE(pump(
        host, joiner, CWatchFeed::LAG_GRACE + 6,
        [&] {
            stuck.service();
            if (seconds_now() - last_ack > 0.2) {
                stuck.send(ack);
                last_ack = seconds_now();
            }
            return stuck.heard_type(WATCH_END);
        },
        true, UINT32_MAX))
        << host.session.watchers();
    const double took = seconds_now() - began;
    EXPECT_GT(took, CWatchFeed::LAG_GRACE);
    EXPECT_EQ(stuck.heard.back().reason, WATCHER_BEHIND);
    EXPECT_EQ(host.session.watchers(), 0);
    // At the game's pace all along: 100 steps a second, less a few for the start.
    EXPECT_GT(host.session.next_step() - first, static_cast<std::uint32_t>(took * 100 * 0.9));
    // The host never waited for commands the joining side had sent: how often it waited for a joining
    // side starved with it in this one process says how busy the machine is.
    EXPECT_LE(host.sent_but_missing, 2) << host.stalls << " waits in all";
    EXPECT_TRUE(both_playing(host, joiner));
}

TEST(NetplayWatchers, AWatcherThatSendsWhatNoWatcherMayIsLetGoAndTheMatchGoesOn) {
    toy_player host(ME, 9), joiner(ME, 10);
    connect_pair(host, joiner);
    struct rogue {
        const char* what;
        message m;
    };
    std::vector<rogue> rogues;
    message inputs;  // a player's commands, from a watcher
    inputs.type = INPUTS;
    inputs.until = 50;
    inputs.inputs = {{20, command_byte({TARGET_MATCH, MATCH_PAUSE})}};
    rogues.push_back({"commands", inputs});
    message lie;  // an acknowledgement of steps never sent
    lie.type = WATCH_ACK;
    lie.until = 4000000;
    rogues.push_back({"a lie", lie});
    for (const rogue& r : rogues) {
        CHandWatcher w(host.session.port());
        ASSERT_TRUE(pump_all(host, joiner, {}, 5, [&] {
            w.service();
            return w.heard_type(WATCH_STEPS);
        })) << r.what;
        const std::size_t applied_before = host.log.size();
        w.send(r.m);
        ASSERT_TRUE(pump_all(host, joiner, {}, 5, [&] {
            w.service();
            return host.session.watchers() == 0;
        })) << r.what;
        ASSERT_TRUE(pump_all(host, joiner, {}, 5, [&] { return host.log.size() > applied_before + 5; }))
            << r.what;
        for (const applied& a : host.log)
            EXPECT_FALSE(a.target == TARGET_MATCH && a.step == 20) << r.what;
        EXPECT_TRUE(both_playing(host, joiner)) << r.what;
    }
}

TEST(NetplayWatchers, WatchersFollowTheNextMatchAndAreToldWhenAPlayerLeaves) {
    toy_player host(ME, 11), joiner(ME, 12);
    connect_pair(host, joiner);
    auto w = watcher_of(host);
    // Both boards stop at the same step, so that the next match starts alike on both.
    const auto both_at = [&](std::uint32_t n) {
        return host.session.next_step() == n && joiner.session.next_step() == n;
    };
    ASSERT_TRUE(pump_all(
        host, joiner, {w.get()}, 10, [&] { return both_at(400); }, false, 400));
    host.session.ready_for_next_match();
    joiner.session.ready_for_next_match();
    // Both run on to the step the host names.
    ASSERT_TRUE(pump_all(
        host, joiner, {w.get()}, 10, [&] { return w->matches().size() == 2; }, false, 420));
    // The first match is whole, to the step both boards stopped at.
    EXPECT_TRUE(w->matches().front().ended);
    ASSERT_EQ(host.ended.size(), 1u);
    EXPECT_EQ(w->matches().front().known, host.ended[0].steps);
    EXPECT_EQ(host.ended, joiner.ended);
    EXPECT_EQ(w->matches().back().number, 1);
    EXPECT_TRUE(host.session.take_new_match());
    EXPECT_TRUE(joiner.session.take_new_match());

    ASSERT_TRUE(pump_all(
        host, joiner, {w.get()}, 10, [&] { return both_at(300); }, false, 300));
    joiner.session.announce_leave();
    ASSERT_TRUE(pump_all(host, joiner, {w.get()}, 10, [&] { return w->state() == CWatchSession::OVER; }));
    EXPECT_EQ(w->note(), "A player left the match");
    EXPECT_TRUE(w->matches().back().ended);
    EXPECT_EQ(w->matches().back().known, host.session.next_step());
}

TEST(NetplayWatchers, AWatcherThatComesBeforeThePlayerWaitsForTheMatchToBegin) {
    toy_player host(ME, 13), joiner(ME, 14);
    std::string error;
    ASSERT_TRUE(host.session.host(0, 6, error, "127.0.0.1")) << error;
    auto early = watcher_of(host);
    ASSERT_TRUE(pump_all(host, joiner, {early.get()}, 5, [&] { return host.session.watchers() == 1; }));
    // Longer than a watcher waits for a word once a match is on: a host waiting for its player is
    // still there.
    pump_all(host, joiner, {early.get()}, CWatchSession::SILENCE_LIMIT + 0.5, [] { return false; });
    EXPECT_EQ(early->state(), CWatchSession::WATCHING) << early->note();
    EXPECT_TRUE(early->matches().empty());

    ASSERT_TRUE(joiner.session.join("127.0.0.1", host.session.port(), error)) << error;
    ASSERT_TRUE(pump_all(host, joiner, {early.get()}, 10, [&] {
        return !early->matches().empty() && early->matches().back().known >= 200;
    })) << early->note();
    EXPECT_EQ(early->matches().back().number, 0);
    EXPECT_TRUE(both_playing(host, joiner));
}
