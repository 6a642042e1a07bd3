#include "game/netplay/watch_feed.h"

#include <algorithm>

using namespace netmsg;

bool CWatchFeed::admit(int peer, double now) {
    if (count() >= MAX_WATCHERS)
        return false;
    watcher w;
    w.peer = peer;
    w.heard = now;
    watchers_.push_back(w);
    return true;
}

bool CWatchFeed::watches(int peer) const {
    return std::any_of(watchers_.begin(), watchers_.end(),
                       [peer](const watcher& w) { return w.peer == peer; });
}

void CWatchFeed::heard(int peer, const message& m, double now) {
    for (std::size_t i = 0; i < watchers_.size(); ++i) {
        watcher& w = watchers_[i];
        if (w.peer != peer)
            continue;
        w.heard = now;
        if (m.type == WATCH_ACK && m.match == static_cast<std::uint16_t>(match_) && w.started) {
            // An acknowledgement of what was never sent is no watcher of ours.
            if (m.until > w.sent) {
                link_.drop(peer);
                watchers_.erase(watchers_.begin() + static_cast<std::ptrdiff_t>(i));
                return;
            }
            w.acked = std::max(w.acked, m.until);
            w.in_flight.erase(std::remove_if(w.in_flight.begin(), w.in_flight.end(),
                                             [&w](std::uint32_t until) { return until <= w.acked; }),
                              w.in_flight.end());
        } else if (m.type == LEAVE) {
            link_.disconnect(peer);
            watchers_.erase(watchers_.begin() + static_cast<std::ptrdiff_t>(i));
        } else if (m.type != WATCH_ACK) {
            link_.drop(peer);
            watchers_.erase(watchers_.begin() + static_cast<std::ptrdiff_t>(i));
        }
        return;
    }
}

void CWatchFeed::forget(int peer) {
    watchers_.erase(std::remove_if(watchers_.begin(), watchers_.end(),
                                   [peer](const watcher& w) { return w.peer == peer; }),
                    watchers_.end());
}

void CWatchFeed::match_begins(int match) {
    // What a watcher still lacks of the match that stood goes first, so that it sees it to its end.
    for (watcher& w : watchers_) {
        if (w.started)
            feed(w, true);
        w.started = false;
        w.sent = w.acked = 0;
        w.in_flight.clear();
        w.behind_since = -1;
    }
    match_ = match;
    confirmed_ = 0;
    board_ended_ = false;
    commands_.clear();
    hashes_.clear();
}

void CWatchFeed::step_confirmed(const std::vector<board_command>& commands) {
    if (board_ended_)
        return;
    for (const board_command& c : commands)
        commands_.push_back({confirmed_, command_byte(c)});
    ++confirmed_;
}

void CWatchFeed::hash_confirmed(std::uint32_t steps, std::uint64_t hash) {
    if (!board_ended_ && steps <= confirmed_ && (hashes_.empty() || hashes_.back().step < steps))
        hashes_.push_back({steps, hash});
}

void CWatchFeed::match_stops(watch_end why) {
    for (std::size_t i = watchers_.size(); i-- > 0;) {
        if (watchers_[i].started)
            feed(watchers_[i], true);
        let_go(i, why);
    }
}

void CWatchFeed::poll(double now) {
    for (std::size_t i = watchers_.size(); i-- > 0;) {
        watcher& w = watchers_[i];
        if (now - w.heard > SILENCE_LIMIT) {
            link_.drop(w.peer);
            watchers_.erase(watchers_.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        if (match_ < 0)
            continue;
        if (!w.started) {
            message start;
            start.type = WATCH_START;
            start.match = static_cast<std::uint16_t>(match_);
            send(w, start);
            w.started = true;
        }
        feed(w, false);
        if (confirmed_ - w.acked <= MAX_LAG)
            w.behind_since = -1;
        else if (w.behind_since < 0)
            w.behind_since = now;
        else if (now - w.behind_since > LAG_GRACE)
            let_go(i, WATCHER_BEHIND);
    }
}

// `whole`: everything confirmed, whatever is in flight (the match is about to be let go).
void CWatchFeed::feed(watcher& w, bool whole) {
    while (w.sent < confirmed_ && (whole || w.in_flight.size() < IN_FLIGHT)) {
        const message m = steps_from(w.sent);
        send(w, m);
        w.in_flight.push_back(m.until);
        w.sent = m.until;
    }
}

message CWatchFeed::steps_from(std::uint32_t from) const {
    message m;
    m.type = WATCH_STEPS;
    m.match = static_cast<std::uint16_t>(match_);
    m.from = from;
    m.until = std::min(confirmed_, from + STEPS_A_MESSAGE);
    m.step = confirmed_;
    m.last = board_ended_ && m.until == confirmed_;
    auto h = std::upper_bound(hashes_.begin(), hashes_.end(), from,
                              [](std::uint32_t s, const step_hash& x) { return s < x.step; });
    for (; h != hashes_.end() && h->step <= m.until; ++h) {
        if (m.hashes.size() == MAX_WATCH_HASHES) {
            m.until = m.hashes.back().step;
            break;
        }
        m.hashes.push_back(*h);
    }
    auto c = std::lower_bound(commands_.begin(), commands_.end(), from,
                              [](const timed_input& x, std::uint32_t s) { return x.step < s; });
    for (; c != commands_.end() && c->step < m.until; ++c) {
        if (m.inputs.size() == MAX_WATCH_INPUTS) {
            // A step's commands travel together: its first ones go back and the message ends before it.
            m.until = c->step;
            while (!m.inputs.empty() && m.inputs.back().step >= m.until)
                m.inputs.pop_back();
            while (!m.hashes.empty() && m.hashes.back().step > m.until)
                m.hashes.pop_back();
            break;
        }
        m.inputs.push_back(*c);
    }
    return m;
}

void CWatchFeed::send(const watcher& w, const message& m) {
    link_.send(w.peer, encode(m));
}

void CWatchFeed::let_go(std::size_t i, watch_end why) {
    message m;
    m.type = WATCH_END;
    m.match = static_cast<std::uint16_t>(match_ < 0 ? 0 : match_);
    m.step = watchers_[i].sent;
    m.reason = why;
    send(watchers_[i], m);
    link_.disconnect(watchers_[i].peer);
    watchers_.erase(watchers_.begin() + static_cast<std::ptrdiff_t>(i));
}
