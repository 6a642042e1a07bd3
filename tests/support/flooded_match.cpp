#include "flooded_match.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "datagram_flood.h"
#include "game/netplay/netplay.h"
#include "udp_socket_counts.h"

namespace {

double seconds_now() {
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void sleep_seconds(double seconds) {
    if (seconds > 0)
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

constexpr double STEP = 0.01;
// For both sessions to connect and begin, before the flood.
constexpr double CONNECTING = 1.5;

// One side's program, on its own thread from `first_frame` until `end`.
struct program {
    CNetSession session{net_identity{"1.1", 0x1234}};
    double backlog = 0;
    double stalled_since = -1;
    double longest_stall = 0;
    bool playing_at_flood = false;
    std::uint32_t step_at_flood = 0;

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

    void run(const frame_pacing& pacing, double first_frame, double flood_at, double end) {
        const double frame = 1.0 / pacing.frames_per_second;
        double next_frame = first_frame, last = first_frame;
        sleep_seconds(first_frame - seconds_now());
        bool flooded = false;
        while (seconds_now() < end && session.state() != CNetSession::OVER) {
            const double now = seconds_now();
            if (!flooded && now >= flood_at) {
                flooded = true;
                playing_at_flood = session.state() == CNetSession::PLAYING;
                step_at_flood = session.next_step();
                longest_stall = 0;
            }
            turn(now, now - last);
            last = now;
            sleep_seconds(pacing.draw_seconds);
            next_frame = std::max(next_frame + frame, seconds_now());
            if (pacing.reads_while_resting)
                session.rest(next_frame - seconds_now());
            else
                sleep_seconds(next_frame - seconds_now());
        }
    }
};

}  // namespace

flood_outcome flooded_match(int datagrams_per_second, double seconds, flood_shape shape,
                            frame_pacing pacing) {
    flood_outcome out;
    program host, joiner;
    host.session.allow_rollback();
    joiner.session.allow_rollback();
    std::string error;
    if (!host.session.host(0, CNetSession::DEFAULT_DELAY, error, "127.0.0.1") ||
        !joiner.session.join("127.0.0.1", host.session.port(), error)) {
        out.note = error;
        return out;
    }
    const std::uint16_t port = host.session.port();
    const double start = seconds_now(), flood_at = start + CONNECTING, end = flood_at + seconds;
    const double half_frame = 0.5 / pacing.frames_per_second;
    std::thread host_thread([&] { host.run(pacing, start, flood_at, end); });
    std::thread joiner_thread([&] { joiner.run(pacing, start + half_frame, flood_at, end); });
    sleep_seconds(flood_at - seconds_now());
    const long drops_before = udp_socket_at(port).dropped;
    {
        CDatagramFlood flood(port, datagrams_per_second, seconds, shape);
        sleep_seconds(end - seconds_now());
        out.sent = flood.sent();
    }
    out.dropped = udp_socket_at(port).dropped - drops_before;
    host_thread.join();
    joiner_thread.join();
    out.connected = host.playing_at_flood && joiner.playing_at_flood;
    out.pace = (host.session.next_step() - host.step_at_flood) / ((seconds_now() - flood_at) / STEP);
    out.longest_stall = std::max(host.longest_stall, joiner.longest_stall);
    out.playing =
        host.session.state() == CNetSession::PLAYING && joiner.session.state() == CNetSession::PLAYING;
    out.note = host.session.note() + joiner.session.note();
    return out;
}
