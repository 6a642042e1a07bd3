#pragma once

// Sessions in one program over 127.0.0.1, each driving a toy board: a running hash of the commands it
// applied and when, with a script of random commands, that it can take back to any step it kept. Real
// ENet underneath.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <map>
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
    toy_player(net_identity me, unsigned seed, bool rolling = false) : session(std::move(me)), script_(seed) {
        if (rolling)
            session.allow_rollback();
        session.on_confirmed([this](std::uint32_t step, const std::vector<board_command>& commands) {
            // The next match counts its steps from 0 again.
            if (step == 0)
                confirmed_steps = 0;
            if (step != confirmed_steps)
                ADD_FAILURE() << "step " << step << " confirmed after " << confirmed_steps << " steps";
            confirmed_steps = step + 1;
            for (const board_command& c : commands)
                confirmed_log.push_back({step, c.target, c.code});
        });
    }

    CNetSession session;
    std::vector<applied> log;            // what the board applied
    std::vector<applied> confirmed_log;  // what the session said was final, step by step
    std::uint32_t confirmed_steps = 0;
    std::vector<scripted> expected;  // what this side's script asked for, where it should land
    std::uint64_t board = 14695981039346656037ULL;
    std::vector<std::uint64_t> checkpoints;  // the board every HASH_PERIOD steps
    std::uint64_t hash_offset = 0;           // non-zero: this side reports a wrong hash

    // Stalls: times a paced side had a step due and the other side's commands were missing.
    int stalls = 0;
    // Of those, the ones where the other side had already sent them: a wait that is the transport's or
    // the session's, not the other side's pace. Two sides in one process are starved together, and the
    // one polled first then runs ahead of the other: that wait says how busy the machine is.
    int sent_but_missing = 0;
    int long_stalls = 0;  // longer than half a second: a player would see the note
    double stalled_seconds = 0;
    double longest_stall = 0;
    std::vector<std::uint32_t> rollback_depths;  // steps run again, one entry per rollback
    std::uint32_t slowest_command = 0;           // the most steps between making a command and its step

    // Each match given up for the next: the steps its board ran and the board it ended with.
    struct ended_match {
        std::uint32_t steps;
        std::uint64_t board;
        bool operator==(const ended_match& o) const { return steps == o.steps && board == o.board; }
    };
    std::vector<ended_match> ended;

    // Runs what is due; paced at the game's 100 steps a second with the main loop's catch-up.
    // `sent_until`: the other side's commands before this step were sent before this side last polled.
    bool advance(double now, bool paced, std::uint32_t steps, std::uint32_t sent_until = 0) {
        note_new_match();
        if (last_ < 0)
            last_ = now;
        backlog_ = std::min(backlog_ + now - last_, 0.25);
        last_ = now;
        bool ran = roll_back();
        for (int i = 0; i < 200 && session.next_step() < steps && (!paced || backlog_ >= STEP); ++i) {
            ran = roll_back() || ran;
            script();
            if (!session.step_ready()) {
                if (paced && !waiting_) {
                    waiting_ = true;
                    waiting_since_ = now;
                    ++stalls;
                    if (sent_until > session.next_step())
                        ++sent_but_missing;
                }
                break;
            }
            if (waiting_) {
                waiting_ = false;
                stalled_seconds += now - waiting_since_;
                longest_stall = std::max(longest_stall, now - waiting_since_);
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
    struct kept {
        std::uint64_t board;
        std::size_t log, checkpoints;
    };

    // Back to the step the session names and on again to the present at once, as the game does.
    bool roll_back() {
        const std::uint32_t to = session.rollback_to();
        if (to == CNetSession::NO_STEP)
            return false;
        const auto k = kept_.find(to);
        if (k == kept_.end()) {
            ADD_FAILURE() << "asked back to step " << to << ", not kept";
            return false;
        }
        rollback_depths.push_back(session.next_step() - to);
        board = k->second.board;
        ran_ = to;
        log.resize(k->second.log);
        checkpoints.resize(k->second.checkpoints);
        session.rewind();
        while (session.replaying() && session.step_ready())
            run_step();
        return true;
    }

    // Now and then a command, at most once per local step.
    void script() {
        note_new_match();
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
            const std::uint32_t at = session.command_step();
            slowest_command = std::max(slowest_command, at - n);
            session.submit(c);
            expected.push_back({{at, c.target, c.code}, session.local_side()});
        }
    }

    // The board as the last match left it, before anything of the next, which starts afresh as the
    // game's board does.
    void note_new_match() {
        if (session.match() == match_)
            return;
        ended.push_back({ran_, board});
        match_ = session.match();
        board = 14695981039346656037ULL;
        ran_ = 0;
        log.clear();
        confirmed_log.clear();
        expected.clear();
        checkpoints.clear();
        kept_.clear();
    }

    void run_step() {
        note_new_match();
        const std::uint32_t n = session.next_step();
        kept_[n] = {board, log.size(), checkpoints.size()};
        if (n > CNetSession::ROLLBACK_REACH)
            kept_.erase(kept_.begin(), kept_.lower_bound(n - CNetSession::ROLLBACK_REACH));
        for (const board_command& in : session.step_inputs()) {
            log.push_back({n, in.target, in.code});
            board = (board ^ (std::uint64_t{n} << 16 | std::uint64_t{in.target} << 8 | in.code)) *
                    1099511628211ULL;
        }
        board = (board ^ n) * 1099511628211ULL;
        session.step_done([this] { return board + hash_offset; });
        ran_ = n + 1;
        if (session.next_step() % CNetSession::HASH_PERIOD == 0)
            checkpoints.push_back(board);
    }

    std::map<std::uint32_t, kept> kept_;  // the board before each of the last steps
    int match_ = 0;
    std::uint32_t ran_ = 0;  // steps the board stands after
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
        const std::uint32_t a_sent = a.session.command_step(), b_sent = b.session.command_step();
        bool ran = a.advance(now, paced, steps, b_sent);
        ran = b.advance(now, paced, steps, a_sent) || ran;
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
