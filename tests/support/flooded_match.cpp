#include "flooded_match.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "datagram_flood.h"
#include "game/netplay/netplay.h"

namespace {

double seconds_now() {
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

constexpr double STEP = 0.01;

struct paced {
    CNetSession session{net_identity{"1.1", 0x1234}};
    double backlog = 0;
    double stalled_since = -1;
    double longest_stall = 0;

    void turn(double now, double dt) {
        session.poll(now);
        backlog = std::min(backlog + dt, 0.25);
        while (backlog >= STEP && session.step_ready()) {
            session.step_done([] { return 7; });
            backlog -= STEP;
            stalled_since = -1;
        }
        if (backlog >= STEP && stalled_since < 0)
            stalled_since = now;
        if (stalled_since >= 0)
            longest_stall = std::max(longest_stall, now - stalled_since);
    }
};

}  // namespace

flood_outcome flooded_match(int datagrams_per_second, double seconds, flood_shape shape) {
    flood_outcome out;
    paced host, joiner;
    std::string error;
    if (!host.session.host(0, CNetSession::DEFAULT_DELAY, error, "127.0.0.1") ||
        !joiner.session.join("127.0.0.1", host.session.port(), error)) {
        out.note = error;
        return out;
    }
    double last = seconds_now();
    auto frames = [&](double how_long) {
        const double end = seconds_now() + how_long;
        while (seconds_now() < end && host.session.state() != CNetSession::OVER &&
               joiner.session.state() != CNetSession::OVER) {
            const double now = seconds_now();
            host.turn(now, now - last);
            joiner.turn(now, now - last);
            last = now;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    };
    frames(1);
    out.connected = host.session.state() == CNetSession::PLAYING;
    host.longest_stall = joiner.longest_stall = 0;
    const std::uint32_t before = host.session.next_step();
    const double start = seconds_now();
    {
        CDatagramFlood flood(host.session.port(), datagrams_per_second, seconds, shape);
        frames(seconds);
        out.sent = flood.sent();
    }
    out.pace = (host.session.next_step() - before) / ((seconds_now() - start) / STEP);
    out.longest_stall = std::max(host.longest_stall, joiner.longest_stall);
    out.playing =
        host.session.state() == CNetSession::PLAYING && joiner.session.state() == CNetSession::PLAYING;
    out.note = host.session.note() + joiner.session.note();
    return out;
}
