#pragma once

// Lockstep sessions in one program over 127.0.0.1, each driving a toy board: a running hash of the
// commands it applied and when, with a script of random commands. Real ENet underneath.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "game/netplay/netplay.h"

inline const net_identity ME{"1.1", 0x1234};
constexpr double STEP = 0.01;

inline double seconds_now() {
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct applied {
    std::uint32_t step;
    int target;
    int code;
    bool operator==(const applied& o) const { return step == o.step && target == o.target && code == o.code; }
};

// A scripted command and the side that made it: at one step, blue's commands come first.
struct scripted {
    applied what;
    int side;
};

class toy_player {
  public:
    toy_player(net_identity me, unsigned seed) : session(std::move(me)), script_(seed) {}

    CNetSession session;
    std::vector<applied> log;        // what the board applied
    std::vector<scripted> expected;  // what this side's script asked for, where it should land
    std::uint64_t board = 14695981039346656037ULL;
    std::vector<std::uint64_t> checkpoints;  // the board every HASH_PERIOD steps
    std::uint64_t hash_offset = 0;           // non-zero: this side reports a wrong hash

    // Stalls: times a paced side had a step due and the other side's commands were missing.
    int stalls = 0;
    int long_stalls = 0;  // longer than half a second: a player would see the note
    double stalled_seconds = 0;

    // Runs what is due; paced at the game's 100 steps a second with the main loop's catch-up.
    bool advance(double now, bool paced, std::uint32_t steps) {
        if (last_ < 0)
            last_ = now;
        backlog_ = std::min(backlog_ + now - last_, 0.25);
        last_ = now;
        bool ran = false;
        for (int i = 0; i < 200 && session.next_step() < steps && (!paced || backlog_ >= STEP); ++i) {
            script();
            if (!session.step_ready()) {
                if (paced && !waiting_) {
                    waiting_ = true;
                    waiting_since_ = now;
                    ++stalls;
                }
                break;
            }
            if (waiting_) {
                waiting_ = false;
                stalled_seconds += now - waiting_since_;
                if (now - waiting_since_ > 0.5)
                    ++long_stalls;
            }
            run_step();
            backlog_ -= STEP;
            ran = true;
        }
        return ran;
    }

  private:
    // Now and then a command, at most once per local step.
    void script() {
        const std::uint32_t n = session.next_step();
        if (scripted_ && n == scripted_for_)
            return;
        scripted_ = true;
        scripted_for_ = n;
        if (std::uniform_int_distribution<int>(0, 19)(script_) != 0)
            return;
        const int count = std::uniform_int_distribution<int>(1, 3)(script_);
        for (int i = 0; i < count; ++i) {
            // Mostly the station's own commands, now and then a pause or a resume.
            const int pick = std::uniform_int_distribution<int>(0, STATION_COMMANDS)(script_);
            board_command c{static_cast<command_target>(session.local_side()),
                            static_cast<std::uint8_t>(pick)};
            if (pick == STATION_COMMANDS)
                c = {TARGET_MATCH,
                     static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0, 1)(script_))};
            session.submit(c);
            expected.push_back({{n + static_cast<std::uint32_t>(session.input_delay()), c.target, c.code},
                                session.local_side()});
        }
    }

    void run_step() {
        const std::uint32_t n = session.next_step();
        for (const board_command& in : session.step_inputs()) {
            log.push_back({n, in.target, in.code});
            board = (board ^ (std::uint64_t{n} << 16 | std::uint64_t{in.target} << 8 | in.code)) *
                    1099511628211ULL;
        }
        board = (board ^ n) * 1099511628211ULL;
        session.step_done([this] { return board + hash_offset; });
        if (session.next_step() % CNetSession::HASH_PERIOD == 0)
            checkpoints.push_back(board);
    }

    std::mt19937 script_;
    bool scripted_ = false;
    std::uint32_t scripted_for_ = 0;
    double last_ = -1;
    double backlog_ = 0;
    bool waiting_ = false;
    double waiting_since_ = 0;
};

// Polls both sides until `done` holds or `limit` seconds pass.
template <class Done>
bool pump(toy_player& a, toy_player& b, double limit, Done done, bool paced = false,
          std::uint32_t steps = 0) {
    const double end = seconds_now() + limit;
    while (seconds_now() < end) {
        const double now = seconds_now();
        a.session.poll(now);
        b.session.poll(now);
        bool ran = a.advance(now, paced, steps);
        ran = b.advance(now, paced, steps) || ran;
        if (done())
            return true;
        if (!ran || paced)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
}

inline bool both_playing(toy_player& a, toy_player& b) {
    return a.session.state() == CNetSession::PLAYING && b.session.state() == CNetSession::PLAYING;
}

// The host on a free port of 127.0.0.1; the joining side straight to it or through `via_port`.
inline void connect_pair(toy_player& host, toy_player& joiner, std::uint16_t via_port = 0, int delay = 6) {
    std::string error;
    ASSERT_TRUE(host.session.host(0, delay, error, "127.0.0.1")) << error;
    ASSERT_TRUE(joiner.session.join("127.0.0.1", via_port != 0 ? via_port : host.session.port(), error))
        << error;
    ASSERT_TRUE(pump(host, joiner, 5, [&] { return both_playing(host, joiner); }))
        << host.session.note() << " / " << joiner.session.note();
}
