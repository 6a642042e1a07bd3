#include "game/netplay/watch_session.h"

#include <cstdio>

#include "game/netplay/command_budget.h"
#include "game/netplay/refusal_text.h"
#include "game/sim/station_input.h"

using namespace netmsg;

namespace {

// A day of steps, as the longest recording: a host that goes on beyond is not playing.
constexpr std::uint32_t MAX_STEPS = 24u * 3600 * 100;

const char* const BAD_HOST = "The host sent what a match does not hold";

// What two players can have made by `steps` steps, by the budget each side holds the other to.
bool within_budget(std::size_t commands, std::uint32_t steps) {
    const std::size_t most = 2 * (static_cast<std::size_t>(CCommandBudget::EARNED_PER_STEP) * steps +
                                  static_cast<std::size_t>(CCommandBudget::BURST));
    return commands <= most;
}

}  // namespace

std::string watch_end_text(std::uint8_t reason) {
    switch (reason) {
        case PLAYER_LEFT:
            return "A player left the match";
        case CONNECTION_LOST:
            return "The players lost their connection";
        case OUT_OF_SYNC:
            return "The players' boards went out of sync";
        case WATCHER_BEHIND:
            return "This program fell too far behind the match and was let go";
        default:
            return "The host stopped the match";
    }
}

bool CWatchSession::watch(const std::string& host, std::uint16_t port, std::string& error) {
    if (!link_.connect(host, port, error))
        return false;
    host_name_ = host + ":" + std::to_string(port);
    phase_ = CONNECTING;
    return true;
}

void CWatchSession::poll(double now) {
    now_ = now;
    if (phase_ == IDLE || phase_ == OVER)
        return;
    if (started_ < 0)
        started_ = last_heard_ = now;
    for (int i = 0; i < 1000 && phase_ != OVER; ++i) {
        const CNetLink::event e = link_.service(0);
        if (e.kind == CNetLink::NOTHING)
            break;
        if (e.kind == CNetLink::CONNECTED) {
            host_ = e.peer;
            message hello;
            hello.type = WATCH;
            hello.program = me_.program;
            hello.rules = me_.rules;
            link_.send(host_, encode(hello));
        } else if (e.kind == CNetLink::DISCONNECTED) {
            end(phase_ == CONNECTING ? "No answer from " + host_name_ : "Connection lost");
        } else if (e.peer == host_) {
            last_heard_ = now;
            message m;
            std::uint8_t version = 0;
            const decode_result r = decode(e.data.data(), e.data.size(), m, version);
            if (r == OTHER_PROTOCOL)
                end("The host uses network protocol " + std::to_string(version) + ", this program " +
                    std::to_string(PROTOCOL_VERSION));
            else if (r == MALFORMED)
                end(BAD_HOST);
            else
                on_message(m);
        }
    }
    if (phase_ == CONNECTING && now - started_ > CONNECT_LIMIT)
        end("No answer from " + host_name_);
    // Before the first match the host has nothing to say; the link notices a host that is gone.
    if (phase_ == WATCHING && !matches_.empty() && now - last_heard_ > SILENCE_LIMIT)
        end("Connection lost");
    if (phase_ == WATCHING && (fresh_ || now - last_ack_ >= KEEP_ALIVE))
        acknowledge();
    link_.flush();
}

void CWatchSession::on_message(const message& m) {
    switch (m.type) {
        case REFUSE:
            end(refusal_text(m.reason, m.program, me_.program));
            return;
        case WELCOME:
            phase_ = WATCHING;
            return;
        case WATCH_START:
            if (!matches_.empty() && m.match == static_cast<std::uint16_t>(matches_.back().number)) {
                end(BAD_HOST);
                return;
            }
            if (!matches_.empty())
                matches_.back().ended = true;
            if (matches_.size() == KEPT_MATCHES)
                matches_.pop_front();
            matches_.emplace_back();
            matches_.back().number = m.match;
            phase_ = WATCHING;
            fresh_ = true;
            return;
        case WATCH_STEPS:
            on_steps(m);
            return;
        case WATCH_END:
            if (!matches_.empty() && m.match == static_cast<std::uint16_t>(matches_.back().number))
                matches_.back().ended = true;
            end(watch_end_text(m.reason));
            return;
        default:
            end(BAD_HOST);
            return;
    }
}

void CWatchSession::on_steps(const message& m) {
    if (matches_.empty() || m.match != static_cast<std::uint16_t>(matches_.back().number)) {
        end(BAD_HOST);
        return;
    }
    watched_match& w = matches_.back();
    // Reliable and in order: each message goes on from where the last one stopped.
    if (m.from != w.known || m.until > MAX_STEPS || w.ended) {
        end(BAD_HOST);
        return;
    }
    std::size_t at_step = 0;
    for (std::size_t i = 0; i < m.inputs.size(); ++i) {
        at_step = i > 0 && m.inputs[i].step == m.inputs[i - 1].step ? at_step + 1 : 1;
        if (!valid_command(byte_command(m.inputs[i].command)) ||
            at_step > 2 * static_cast<std::size_t>(CCommandBudget::PER_STEP)) {
            end(BAD_HOST);
            return;
        }
    }
    if (!within_budget(w.commands.size() + m.inputs.size(), m.until)) {
        end("The host sent more commands than two players can make");
        return;
    }
    w.commands.insert(w.commands.end(), m.inputs.begin(), m.inputs.end());
    w.hashes.insert(w.hashes.end(), m.hashes.begin(), m.hashes.end());
    w.known = m.until;
    w.ended = m.last;
    host_steps_ = m.step;
    fresh_ = true;
}

void CWatchSession::acknowledge() {
    message ack;
    ack.type = WATCH_ACK;
    if (!matches_.empty()) {
        ack.match = static_cast<std::uint16_t>(matches_.back().number);
        ack.until = matches_.back().known;
    }
    link_.send(host_, encode(ack), CNetLink::UNRELIABLE);
    last_ack_ = now_;
    fresh_ = false;
}

void CWatchSession::forget_oldest() {
    if (matches_.size() > 1)
        matches_.pop_front();
}

void CWatchSession::end(const std::string& why) {
    if (phase_ == OVER)
        return;
    phase_ = OVER;
    note_ = why;
    if (!matches_.empty())
        matches_.back().ended = true;
    link_.shut_down(0);
    std::fprintf(stderr, "Watching: %s\n", why.c_str());
}

void CWatchSession::leave() {
    if (phase_ == CONNECTING || phase_ == WATCHING) {
        message m;
        m.type = LEAVE;
        link_.send(host_, encode(m));
        link_.shut_down(300);
    }
    if (phase_ != OVER) {
        phase_ = OVER;
        note_.clear();
    }
}
