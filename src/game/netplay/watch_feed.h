#pragma once

// The host's side of watching: up to MAX_WATCHERS programs that follow the match without playing in
// it. Each is sent the match's start and every confirmed step's commands, from the first step on, so
// that one joining late sees the same board; and the board's hash now and then, to check its own by.
// The players never wait for a watcher: each has a bounded number of messages in flight, and one that
// stays too far behind is let go with a word saying why.
#include <cstdint>
#include <vector>

#include "game/sim/station_input.h"
#include "net/link.h"
#include "net/message.h"

class CWatchFeed {
  public:
    static constexpr int MAX_WATCHERS = 8;
    static constexpr std::size_t IN_FLIGHT = 16;            // messages sent to a watcher and not acknowledged
    static constexpr std::uint32_t STEPS_A_MESSAGE = 1000;  // at most, so that a message keeps to its size
    static constexpr std::uint32_t MAX_LAG = 500;           // steps a watcher may be behind for long
    static constexpr double LAG_GRACE = 5;                  // seconds it may be further behind (joining late)
    static constexpr double SILENCE_LIMIT = 5;              // seconds without a word from a watcher

    explicit CWatchFeed(CNetLink& link) : link_(link) {}

    // A watcher that greeted rightly; false when every place is taken.
    bool admit(int peer, double now);
    bool watches(int peer) const;
    // A message from a watcher; one that sends anything but what a watcher may is let go.
    void heard(int peer, const netmsg::message& m, double now);
    void forget(int peer);
    int count() const { return static_cast<int>(watchers_.size()); }

    // What the session confirms: a match begins, the commands of its next step (blue's before red's),
    // the board's hash after `steps` steps, the match stops for good.
    void match_begins(int match);
    void step_confirmed(const std::vector<board_command>& commands);
    void hash_confirmed(std::uint32_t steps, std::uint64_t hash);
    void match_stops(netmsg::watch_end why);
    // The board's match ended at the last step confirmed: the steps after it, until the next match,
    // change nothing a watcher sees and are not sent.
    void board_ended() { board_ended_ = true; }

    // Sends what is due and lets go of watchers too far behind or silent.
    void poll(double now);
    // The message that carries the confirmed steps from `from` on, as many as one holds.
    netmsg::message steps_from(std::uint32_t from) const;

  private:
    struct watcher {
        int peer;
        bool started = false;  // told of the current match
        std::uint32_t sent = 0;
        std::uint32_t acked = 0;
        std::vector<std::uint32_t> in_flight;  // `until` of each message not acknowledged
        double heard = 0;
        double behind_since = -1;
    };
    void feed(watcher& w, bool whole);
    void send(const watcher& w, const netmsg::message& m);
    void let_go(std::size_t i, netmsg::watch_end why);

    CNetLink& link_;
    std::vector<watcher> watchers_;
    int match_ = -1;  // -1 before the first
    std::uint32_t confirmed_ = 0;
    bool board_ended_ = false;
    std::vector<netmsg::timed_input> commands_;  // the match's, steps ascending
    std::vector<netmsg::step_hash> hashes_;
};
