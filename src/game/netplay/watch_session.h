#pragma once

// A watcher's side of a hosted match: it greets the host as a watcher and keeps what the host
// confirms of each match of the session, the commands of every step and the board's hash now and
// then, for a viewer to play at its own pace. It sends nothing but acknowledgements, so it cannot
// change the match; the host lets it go if it falls too far behind.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "game/netplay/netplay.h"
#include "net/link.h"
#include "net/message.h"

class CWatchSession {
  public:
    static constexpr double CONNECT_LIMIT = CNetSession::CONNECT_LIMIT;
    static constexpr double SILENCE_LIMIT = CNetSession::SILENCE_LIMIT;
    static constexpr double KEEP_ALIVE = 0.25;      // seconds between acknowledgements when nothing came
    static constexpr std::size_t KEPT_MATCHES = 4;  // matches held at once; older ones go first

    enum phase { IDLE, CONNECTING, WATCHING, OVER };

    struct watched_match {
        int number = 0;
        std::vector<netmsg::timed_input> commands;  // steps ascending
        std::uint32_t known = 0;                    // the steps whose commands are all here
        std::vector<netmsg::step_hash> hashes;      // the host's board after some of them
        bool ended = false;                         // no step follows `known`
    };

    explicit CWatchSession(net_identity me) : me_(std::move(me)) {}

    bool watch(const std::string& host, std::uint16_t port, std::string& error);
    // Handles what arrived and acknowledges it. `now`: seconds on any steady clock.
    void poll(double now);
    // Says goodbye and closes, waiting briefly so that the word gets out.
    void leave();

    phase state() const { return phase_; }
    // Why watching ended, once OVER.
    const std::string& note() const { return note_; }
    const std::string& host_name() const { return host_name_; }
    // The matches held, oldest first; the last is the one the host plays now.
    const std::deque<watched_match>& matches() const { return matches_; }
    // The viewer is done with the oldest match.
    void forget_oldest();
    // The steps the host had confirmed of its current match when it last sent some.
    std::uint32_t host_steps() const { return host_steps_; }

  private:
    void on_message(const netmsg::message& m);
    void on_steps(const netmsg::message& m);
    void acknowledge();
    void end(const std::string& why);

    net_identity me_;
    CNetLink link_;
    phase phase_ = IDLE;
    std::string note_;
    std::string host_name_;
    int host_ = -1;
    double now_ = 0;
    double started_ = -1;
    double last_heard_ = 0;
    double last_ack_ = 0;
    bool fresh_ = false;  // steps arrived since the last acknowledgement
    std::deque<watched_match> matches_;
    std::uint32_t host_steps_ = 0;
};

// What a watcher is told when the host ends its watching for `reason` (a netmsg::watch_end).
std::string watch_end_text(std::uint8_t reason);
