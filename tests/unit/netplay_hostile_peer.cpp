// A real host session on 127.0.0.1 against peers that break the rules of the lockstep on purpose:
// a hand-driven joining player, strangers that squat its places, a flood of junk.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <thread>
#include <utility>

#include "connect_request.h"
#include "flooded_match.h"
#include "game/netplay/netplay.h"
#include "loopback_socket.h"
#include "net/connect_cookie.h"
#include "rogue_peer.h"
#include "udp_relay.h"

using namespace netmsg;

namespace {

const net_identity ME{"1.1", 0x1234};
constexpr std::uint32_t DELAY = CNetSession::DEFAULT_DELAY;

double seconds_now() {
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::uint8_t red(station_command c) {
    return command_byte({TARGET_RED, c});
}

// The host: runs every step it may, as fast as the other side lets it, keeping what it applied.
struct stepping_host {
    CNetSession session{ME};
    std::map<std::uint32_t, std::vector<board_command>> applied;  // by step, non-empty steps only
    std::uint64_t board = 1;

    void run() {
        session.poll(seconds_now());
        while (session.step_ready()) {
            for (const board_command& c : session.step_inputs()) {
                applied[session.next_step()].push_back(c);
                board = board * 31 + command_byte(c);
            }
            session.step_done([this] { return board; });
        }
    }
    std::size_t most_red_at_one_step() const {
        std::size_t most = 0;
        for (const auto& [step, commands] : applied)
            most = std::max<std::size_t>(
                most, std::count_if(commands.begin(), commands.end(),
                                    [](const board_command& c) { return c.target == TARGET_RED; }));
        return most;
    }
};

// Host and rogue turn by turn until `done` or `limit` seconds; false on the time limit.
bool exchange(stepping_host& host, CRoguePeer& rogue, double limit, const std::function<bool()>& done) {
    const double end = seconds_now() + limit;
    while (seconds_now() < end) {
        host.run();
        rogue.service(1);
        if (done())
            return true;
    }
    return false;
}

bool over(const stepping_host& host) {
    return host.session.state() == CNetSession::OVER;
}

// A rogue greeted by a host on a free port of 127.0.0.1.
std::unique_ptr<CRoguePeer> greeted_rogue(stepping_host& host) {
    std::string error;
    EXPECT_TRUE(host.session.host(0, DELAY, error, "127.0.0.1")) << error;
    auto rogue = std::make_unique<CRoguePeer>(host.session.port(), ME.program, ME.rules);
    EXPECT_TRUE(exchange(host, *rogue, 5, [&] { return rogue->welcomed; }));
    return rogue;
}

// The rogue plays its part of the lockstep as this build does, one step per message, with `at_step`
// commands for each step; `until` is where its own commands end so far. They reach up to `lead` steps
// beyond the host's (this build's own side: the input delay).
void keep_step(CRoguePeer& rogue, std::uint32_t& until, const std::vector<std::uint8_t>& at_step,
               std::uint32_t lead = DELAY) {
    // The host's commands are final up to a delay beyond its step.
    while (until + DELAY < rogue.host_until + lead) {
        std::vector<timed_input> inputs;
        for (std::uint8_t c : at_step)
            inputs.push_back({until, c});
        rogue.send_inputs(until, until + 1, std::min(rogue.host_until, until + 1), inputs);
        ++until;
    }
}

}  // namespace

TEST(NetplayHostilePeer, ThePeerIsHeldToTheCommandsAPlayerCanMake) {
    // 200 flares at every step, never many steps ahead: far beyond the most one step of local input
    // may hold.
    {
        stepping_host host;
        auto rogue = greeted_rogue(host);
        std::uint32_t until = 0;
        const std::vector<std::uint8_t> flood(MAX_INPUTS, red(CMD_FLARE));
        exchange(host, *rogue, 5, [&] {
            keep_step(*rogue, until, flood, 2);
            return over(host) || host.session.next_step() >= 100;
        });
        std::printf("200 commands a step: at most %zu applied at one step, match %s at step %u\n",
                    host.most_red_at_one_step(), over(host) ? "ended" : "going on", host.session.next_step());
        EXPECT_LE(host.most_red_at_one_step(), static_cast<std::size_t>(CCommandBudget::PER_STEP));
        EXPECT_TRUE(over(host));
        EXPECT_EQ(host.session.note(), "The other side sent more commands than a player can make");
    }
    // Three a step, every step: within one step's cap, but beyond any hands over seconds.
    {
        stepping_host host;
        auto rogue = greeted_rogue(host);
        std::uint32_t until = 0;
        const std::vector<std::uint8_t> three = {red(CMD_TURN_CW_ON), red(CMD_TURN_CW_OFF), red(CMD_FLARE)};
        exchange(host, *rogue, 10, [&] {
            keep_step(*rogue, until, three);
            return over(host) || host.session.next_step() >= 1000;
        });
        std::printf("3 commands a step: match %s at step %u\n", over(host) ? "ended" : "going on",
                    host.session.next_step());
        EXPECT_TRUE(over(host));
        EXPECT_EQ(host.session.note(), "The other side sent more commands than a player can make");
        EXPECT_LT(host.session.next_step(), 400u);
    }
    // A full step's worth at once, then two a step for seconds: hard play, never refused.
    {
        stepping_host host;
        auto rogue = greeted_rogue(host);
        rogue->send_inputs(0, 1, 0, std::vector<timed_input>(CCommandBudget::PER_STEP, {0, red(CMD_FLARE)}));
        std::uint32_t until = 1;
        const std::vector<std::uint8_t> two = {red(CMD_CHARGE), red(CMD_RELEASE)};
        exchange(host, *rogue, 10, [&] {
            keep_step(*rogue, until, two);
            return over(host) || host.session.next_step() >= 1000;
        });
        EXPECT_FALSE(over(host)) << host.session.note();
        EXPECT_EQ(host.most_red_at_one_step(), static_cast<std::size_t>(CCommandBudget::PER_STEP));
    }
}

TEST(NetplayHostilePeer, ACommandMadeAfterSeeingTheOtherSidesForItsStepIsRefused) {
    stepping_host host;
    auto rogue = greeted_rogue(host);
    std::uint32_t until = 0;
    ASSERT_TRUE(exchange(host, *rogue, 5, [&] {
        keep_step(*rogue, until, {});
        return host.session.next_step() >= 50;
    }));
    // The rogue holds its own commands back; the host runs up to them and stops.
    ASSERT_TRUE(exchange(host, *rogue, 5, [&] { return host.session.next_step() == until; }));
    const std::uint32_t launch = host.session.next_step() + DELAY;
    host.session.submit({TARGET_BLUE, CMD_CHARGE});
    // It says it knows the host's commands as far as it has them, lets the host on one step at a time,
    // and throws a flare at the step the charge lands on as soon as it sees the charge.
    bool answered = false;
    exchange(host, *rogue, 5, [&] {
        const bool seen = std::any_of(rogue->host_inputs.begin(), rogue->host_inputs.end(),
                                      [&](const timed_input& in) { return in.step == launch; });
        std::vector<timed_input> flare;
        if (seen && until == launch) {
            flare.push_back({launch, red(CMD_FLARE)});
            answered = true;
        }
        if (until <= launch) {
            rogue->send_inputs(until, until + 1, rogue->host_until, flare);
            ++until;
        }
        return over(host) || answered;
    });
    exchange(host, *rogue, 0.5, [&] { return over(host); });
    const std::vector<board_command>& at_launch = host.applied[launch];
    const bool flare_at_launch = std::find(at_launch.begin(), at_launch.end(),
                                           board_command{TARGET_RED, CMD_FLARE}) != at_launch.end();
    std::printf("flare answered the charge at its step: %s\n", flare_at_launch ? "yes" : "no");
    EXPECT_FALSE(flare_at_launch);
    EXPECT_TRUE(over(host));
    EXPECT_EQ(host.session.note(), "The other side made commands after it had seen ours for the same step");
}

namespace {

// Strangers at a waiting host: `forged` connection requests a second from `ports` ports, never
// completed (as from forged addresses, with no cookie: they hold no place); one that completes a
// connection and never says a word; and, from another address (127.0.0.2), `silent` such
// connections a second, each dropped by its sender after a few seconds, as a script that reconnects.
struct squat_plan {
    int ports;
    double forged;
    double silent = 0;
};

class squatters {
  public:
    squatters(std::uint16_t port, squat_plan plan) : port_(port), plan_(plan) {
        for (int i = 0; i < plan.ports; ++i)
            strangers_.push_back(std::make_unique<CLoopbackSocket>());
        std::string error;
        silent_.connect("127.0.0.1", port, error);
    }
    void squat() {
        const double now = seconds_now();
        if (start_ < 0)
            start_ = now;
        while (asked_ < (now - start_) * plan_.forged) {
            const std::vector<std::uint8_t> request = connect_request(++asked_);
            strangers_[asked_ % strangers_.size()]->send_to(port_, request.data(), request.size());
        }
        while (reconnected_ < (now - start_) * plan_.silent) {
            ++reconnected_;
            auto link = std::make_unique<CNetLink>();
            std::string error;
            if (link->open(0, error, "127.0.0.2") && link->connect("127.0.0.1", port_, error))
                reconnecting_.push_back(std::move(link));
            if (reconnecting_.size() > 100)
                reconnecting_.pop_front();
        }
        silent_.service(0);
        for (auto& link : reconnecting_)
            link->service(0);
    }

  private:
    std::uint16_t port_;
    squat_plan plan_;
    std::vector<std::unique_ptr<CLoopbackSocket>> strangers_;
    CNetLink silent_;
    std::deque<std::unique_ptr<CNetLink>> reconnecting_;
    std::uint32_t asked_ = 0;
    int reconnected_ = 0;
    double start_ = -1;
};

// Squats the host for two seconds, then lets a player join while the squatting goes on, straight or
// through a relay that delays each datagram by `one_way` seconds: the seconds it took the player to
// play, or -1.
double join_while_squatted(stepping_host& host, CNetSession& player, squat_plan plan, double one_way = 0) {
    squatters s(host.session.port(), plan);
    const double squat_until = seconds_now() + 2;
    while (seconds_now() < squat_until) {
        s.squat();
        host.run();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::unique_ptr<CUdpRelay> relay;
    if (one_way > 0)
        relay = std::make_unique<CUdpRelay>(host.session.port(), relay_faults{0, 0, one_way, one_way, 1});
    std::string error;
    if (!player.join("127.0.0.1", relay ? relay->port() : host.session.port(), error))
        return -1;
    const double asked = seconds_now();
    while (seconds_now() - asked < CNetSession::CONNECT_LIMIT + 1 && player.state() == CNetSession::WAITING) {
        s.squat();
        host.run();
        player.poll(seconds_now());
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::printf(
        "a player %.0f ms away under %.0f forged requests and %.0f silent connections a second: %s after "
        "%.2f s\n",
        2000 * one_way, plan.forged, plan.silent,
        player.state() == CNetSession::PLAYING ? "playing" : player.note().c_str(), seconds_now() - asked);
    return player.state() == CNetSession::PLAYING ? seconds_now() - asked : -1;
}

}  // namespace

TEST(NetplayHostilePeer, AWaitingHostStaysJoinableWhileStrangersSquatItsPlaces) {
    // As the attacks seen: requests never completed (more than the places, then far more, and at
    // internet round trips), and an address that keeps completing silent connections.
    const std::pair<squat_plan, double> attacks[] = {
        {{4, 4.0}, 0}, {{32, 64.0}, 0}, {{32, 1000.0}, 0.05}, {{4, 4.0, 30.0}, 0}, {{4, 4.0, 30.0}, 0.05}};
    for (const auto& [plan, one_way] : attacks) {
        stepping_host host;
        std::string error;
        ASSERT_TRUE(host.session.host(0, DELAY, error, "127.0.0.1")) << error;
        CNetSession player(ME);
        const double took = join_while_squatted(host, player, plan, one_way);
        EXPECT_GE(took, 0);
        EXPECT_LT(took, 2.0);
        EXPECT_EQ(host.session.state(), CNetSession::PLAYING);
    }
}

TEST(NetplayHostilePeer, ARequestWithoutTheHostsCookieIsNeverAnswered) {
    // A request from a forged address comes without the cookie only its real sender could read: the
    // host answers nothing and keeps nothing. The ask for a cookie gets one answer, of its own size.
    stepping_host host;
    std::string error;
    ASSERT_TRUE(host.session.host(0, DELAY, error, "127.0.0.1")) << error;
    CLoopbackSocket stranger;
    const std::vector<std::uint8_t> request = connect_request(9);
    stranger.send_to(host.session.port(), request.data(), request.size());
    const std::vector<std::uint8_t> ask = CConnectCookies::ask();
    stranger.send_to(host.session.port(), ask.data(), ask.size());
    const double asked = seconds_now();
    int answers = 0;
    while (seconds_now() - asked < 2) {
        host.run();
        answers += stranger.take_arrived();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::printf("a request without a cookie, and an ask: %d answers\n", answers);
    EXPECT_EQ(answers, 1);
}

TEST(NetplayHostilePeer, AStrangerLearnsOnlyThatTheMatchIsFull) {
    stepping_host host;
    CNetSession player(ME);
    std::string error;
    ASSERT_TRUE(host.session.host(0, DELAY, error, "127.0.0.1")) << error;
    ASSERT_TRUE(player.join("127.0.0.1", host.session.port(), error)) << error;
    const double met = seconds_now() + 3;
    while (player.state() != CNetSession::PLAYING && seconds_now() < met) {
        host.run();
        player.poll(seconds_now());
    }
    ASSERT_EQ(player.state(), CNetSession::PLAYING) << player.note();
    CRoguePeer late(host.session.port(), ME.program, ME.rules);
    const double end = seconds_now() + 3;
    while (late.refusals.empty() && seconds_now() < end) {
        host.run();
        player.poll(seconds_now());
        late.service(1);
    }
    EXPECT_EQ(player.state(), CNetSession::PLAYING);
    ASSERT_EQ(late.refusals.size(), 1u);
    EXPECT_EQ(late.refusals[0].reason, MATCH_FULL);
    EXPECT_EQ(late.refusals[0].program, "");
    EXPECT_EQ(late.refusals[0].rules, 0u);
}

TEST(NetplayHostilePeer, AFloodOfJunkDoesNotCostTheRealPeerItsMatch) {
    // Random datagrams, one in eight larger than ENet reads; then ones shaped as the transport's own,
    // which it cannot tell from real ones by their first bytes. 64,000 a second for five seconds, at
    // the game's 60 frames a second: more than the socket's buffer holds through a frame unless the
    // program reads its port while it rests.
    frame_pacing pacing;
    pacing.frames_per_second = 60;
    pacing.draw_seconds = 0.005;
    for (const flood_shape shape : {flood_shape::RANDOM, flood_shape::ENET_SHAPED}) {
        const flood_outcome o = flooded_match(64000, 5, shape, pacing);
        std::printf(
            "under %ld %s datagrams in 5 s: %s, %.0f %% of the game's pace, longest stall %.2f s, "
            "%ld dropped by the socket\n",
            o.sent, shape == flood_shape::RANDOM ? "random" : "ENet-shaped",
            o.playing ? "playing" : o.note.c_str(), 100 * o.pace, o.longest_stall, o.dropped);
        ASSERT_TRUE(o.connected) << o.note;
        EXPECT_TRUE(o.playing) << o.note;
        EXPECT_GT(o.pace, 0.9);
        EXPECT_LT(o.longest_stall, 0.5);  // a player would see the note
    }
}

TEST(NetplayHostilePeer, APeerMustReportItsBoardAtEveryCheckpointAndOnlyForStepsItReached) {
    // No reports at all: the first checkpoint waits in vain, and the match ends.
    {
        stepping_host host;
        auto rogue = greeted_rogue(host);
        std::uint32_t until = 0;
        const bool ended = exchange(host, *rogue, CHashCheck::LIMIT + 3, [&] {
            keep_step(*rogue, until, {});
            return over(host);
        });
        std::printf("no reports: %s at step %u\n", ended ? "ended" : "still playing",
                    host.session.next_step());
        EXPECT_TRUE(ended);
        EXPECT_EQ(host.session.note(), "The other side did not check its board with ours");
    }
    // Reports for steps far ahead first, to push out the real ones, then a lying one for the first
    // checkpoint.
    {
        stepping_host host;
        auto rogue = greeted_rogue(host);
        for (std::uint32_t i = 0; i < 16; ++i) {
            message h;
            h.type = STATE_HASH;
            h.step = 100000 + i * CNetSession::HASH_PERIOD;
            rogue->send(h);
        }
        message lie;
        lie.type = STATE_HASH;
        lie.step = CNetSession::HASH_PERIOD;
        lie.hash = 42;
        rogue->send(lie);
        std::uint32_t until = 0;
        exchange(host, *rogue, 5, [&] {
            keep_step(*rogue, until, {});
            return over(host) || host.session.next_step() >= 3 * CNetSession::HASH_PERIOD;
        });
        std::printf("reports ahead: %s at step %u\n",
                    over(host) ? host.session.note().c_str() : "still playing", host.session.next_step());
        EXPECT_TRUE(over(host));
        EXPECT_EQ(host.session.note(), "The other side reported its board for a step it cannot have reached");
    }
}
