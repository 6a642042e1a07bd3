#include "game/netplay/netplay.h"

#include <cstdio>
#include <utility>

namespace {

using namespace netmsg;

// More commands than this at one step are dropped: no player makes them, and a message stays bounded.
constexpr std::size_t MAX_COMMANDS_PER_STEP = 64;
// Commands the other side may have announced ahead of the step being run.
constexpr std::size_t MAX_PENDING = 4 * MAX_INPUTS;
// Hash reports not yet matched with our own; the other side is never more than a few steps ahead.
constexpr std::size_t MAX_HASHES = 16;
// Commands not yet acknowledged are sent again this often while no step sends them; an idle side
// (paused, match over) keeps talking at that rate too, so that silence means trouble.
constexpr double RESEND = 0.02;

std::string refusal_text(std::uint8_t reason, const std::string& their_program, const std::string& ours) {
    switch (reason) {
        case MATCH_FULL:
            return "The match is full";
        case PROGRAM_DIFFERS:
            return "The host runs version " + their_program + ", this is version " + ours;
        case RULES_DIFFER:
            return "The host plays by different rules (another build of version " + their_program + ")";
        default:
            return "The host refused to play";
    }
}

}  // namespace

CNetSession::CNetSession(net_identity me) : me_(std::move(me)) {}

CNetSession::~CNetSession() = default;

bool CNetSession::host(std::uint16_t port, int input_delay, std::string& error, const char* address) {
    if (input_delay < 1 || input_delay > MAX_DELAY) {
        error = "the input delay must be 1 to " + std::to_string(MAX_DELAY) + " steps";
        return false;
    }
    // Room for the player and a few more, so that others can be told the match is full.
    if (!link_.listen(port, 4, error, address))
        return false;
    delay_ = input_delay;
    local_side_ = BLUE_STATION;
    phase_ = WAITING;
    return true;
}

bool CNetSession::join(const std::string& host, std::uint16_t port, std::string& error) {
    if (!link_.connect(host, port, error))
        return false;
    host_name_ = host + ":" + std::to_string(port);
    local_side_ = RED_STATION;
    phase_ = WAITING;
    return true;
}

void CNetSession::poll(double now) {
    now_ = now;
    if (phase_ == IDLE || phase_ == OVER)
        return;
    if (started_ < 0)
        started_ = now;
    for (int i = 0; i < 1000 && phase_ != OVER; ++i) {
        CNetLink::event e = link_.service(0);
        if (e.kind == CNetLink::NOTHING)
            break;
        on_event(e);
    }
    // A connection that never says who it is must not keep the place from real players.
    if (candidate_ >= 0 && now - candidate_since_ > CONNECT_LIMIT) {
        link_.disconnect(candidate_);
        candidate_ = -1;
    }
    if (phase_ == WAITING && !hosting() && now - started_ > CONNECT_LIMIT)
        end("No answer from " + host_name_);
    if (phase_ == PLAYING && now - last_heard_ > SILENCE_LIMIT)
        end("Connection lost");
    if (phase_ == PLAYING && now - last_sent_ >= RESEND)
        send_inputs();
    link_.flush();
}

void CNetSession::on_event(const CNetLink::event& e) {
    if (e.kind == CNetLink::CONNECTED) {
        if (!hosting()) {
            message hello;
            hello.type = HELLO;
            hello.program = me_.program;
            hello.rules = me_.rules;
            player_ = e.peer;
            send(hello);
        } else if (phase_ == WAITING && candidate_ < 0) {
            candidate_ = e.peer;
            candidate_since_ = now_;
        } else {
            refuse(e.peer, MATCH_FULL);
        }
        return;
    }
    if (e.kind == CNetLink::DISCONNECTED) {
        if (e.peer == candidate_)
            candidate_ = -1;
        if (e.peer == player_ && phase_ == WAITING)
            end("No answer from " + host_name_);
        else if (e.peer == player_ && left_there_ && remote_until_ < stop_at_)
            end("Opponent left");  // gone before its last commands arrived
        else if (e.peer == player_ && !left_there_)
            end("Connection lost");
        return;
    }
    if (e.peer == candidate_) {
        on_candidate_message(e);
        return;
    }
    if (e.peer != player_)
        return;
    last_heard_ = now_;
    message m;
    std::uint8_t version = 0;
    switch (decode(e.data.data(), e.data.size(), m, version)) {
        case DECODED:
            on_player_message(m);
            break;
        case OTHER_PROTOCOL:
            end("The other side uses network protocol " + std::to_string(version) + ", this program " +
                std::to_string(PROTOCOL_VERSION));
            break;
        case MALFORMED:
            end("The other side sent a message this program does not understand");
            break;
    }
}

// The host's side of the greeting: the joining program must be ours, with our rules.
void CNetSession::on_candidate_message(const CNetLink::event& e) {
    message m;
    std::uint8_t version = 0;
    const decode_result r = decode(e.data.data(), e.data.size(), m, version);
    const std::string who = "Refused a player from " + link_.peer_address(e.peer) + ": ";
    if (r == OTHER_PROTOCOL) {
        note_ = who + "network protocol " + std::to_string(version) + ", this program " +
                std::to_string(PROTOCOL_VERSION);
        refuse(e.peer, PROTOCOL_DIFFERS);
    } else if (r != DECODED || m.type != HELLO) {
        note_ = who + "not a player of this game";
        refuse(e.peer, PROTOCOL_DIFFERS);
    } else if (m.program != me_.program) {
        note_ = who + "version " + m.program + ", this is version " + me_.program;
        refuse(e.peer, PROGRAM_DIFFERS);
    } else if (m.rules != me_.rules) {
        note_ = who + "different rules (another build of version " + m.program + ")";
        refuse(e.peer, RULES_DIFFER);
    } else {
        player_ = candidate_;
        candidate_ = -1;
        message welcome;
        welcome.type = WELCOME;
        welcome.program = me_.program;
        welcome.rules = me_.rules;
        welcome.input_delay = static_cast<std::uint8_t>(delay_);
        send(welcome);
        note_.clear();
        start_match();
        return;
    }
    std::fprintf(stderr, "%s\n", note_.c_str());
    candidate_ = -1;
}

void CNetSession::refuse(int peer, refusal why) {
    message m;
    m.type = REFUSE;
    m.program = me_.program;
    m.rules = me_.rules;
    m.reason = why;
    link_.send(peer, encode(m));
    link_.disconnect(peer);
}

void CNetSession::on_player_message(const message& m) {
    if (phase_ == WAITING) {
        if (m.type == WELCOME && m.input_delay >= 1 && m.input_delay <= MAX_DELAY) {
            delay_ = m.input_delay;
            start_match();
        } else if (m.type == REFUSE) {
            end(refusal_text(m.reason, m.program, me_.program));
        } else {
            end("The other side sent a message this program does not understand");
        }
        return;
    }
    switch (m.type) {
        case INPUTS:
            on_inputs(m);
            break;
        case STATE_HASH:
            if (m.match != match_)
                break;
            remote_hashes_[m.step] = m.hash;
            if (remote_hashes_.size() > MAX_HASHES)
                remote_hashes_.erase(remote_hashes_.begin());
            compare_hashes(m.step);
            break;
        case NEXT_MATCH:
            if (m.match == match_ + 1)
                ready_there_ = true;
            if (ready_here_ && ready_there_)
                start_match();
            break;
        case DECLINE:
            if (m.match == match_ + 1 && ready_here_) {
                ready_here_ = false;
                declined_ = true;
            }
            break;
        case LEAVE:
            left_there_ = true;
            if (m.match == match_ && m.step < stop_at_)
                stop_at_ = m.step;
            if (m.match != match_)
                stop_at_ = 0;
            check_left();
            break;
        default:
            end("The other side sent a message this program does not understand");
            break;
    }
}

void CNetSession::on_inputs(const message& m) {
    if (m.match != match_)
        return;
    const std::uint32_t ours = next_ + static_cast<std::uint32_t>(delay_);
    if (m.ack > acked_) {
        acked_ = m.ack < ours ? m.ack : ours;
        while (!unacked_.empty() && unacked_.front().step < acked_)
            unacked_.pop_front();
    }
    // A message from before a gap (an older one overtaken, or a later one lost) adds nothing safe.
    if (m.from > remote_until_ || m.until <= remote_until_)
        return;
    const command_target theirs = local_side_ == BLUE_STATION ? TARGET_RED : TARGET_BLUE;
    for (const timed_input& in : m.inputs) {
        // The other side steers its own station and the match, never ours.
        const board_command c = byte_command(in.command);
        if (!valid_command(c) || (c.target != TARGET_MATCH && c.target != theirs)) {
            end("The other side sent a message this program does not understand");
            return;
        }
        if (in.step >= remote_until_)
            remote_.push_back(in);
    }
    if (remote_.size() > MAX_PENDING) {
        end("The other side sent more commands than a player can make");
        return;
    }
    remote_until_ = m.until;
}

void CNetSession::start_match() {
    if (phase_ == PLAYING)
        ++match_;
    phase_ = PLAYING;
    new_match_ = match_ > 0;
    next_ = 0;
    remote_until_ = 0;
    local_.clear();
    unacked_.clear();
    acked_ = 0;
    remote_.clear();
    local_hashes_.clear();
    remote_hashes_.clear();
    ready_here_ = ready_there_ = false;
    declined_ = false;
    last_heard_ = now_;
    send_inputs();
}

void CNetSession::end(const std::string& why) {
    if (phase_ == OVER)
        return;
    phase_ = OVER;
    note_ = why;
    link_.shut_down(0);
    if (!why.empty())
        std::fprintf(stderr, "Network game: %s\n", why.c_str());
}

void CNetSession::send(const message& m, CNetLink::delivery how) {
    if (player_ >= 0)
        link_.send(player_, encode(m), how);
}

void CNetSession::send_inputs(CNetLink::delivery how) {
    message m;
    m.type = INPUTS;
    m.match = static_cast<std::uint16_t>(match_);
    m.ack = remote_until_;
    m.from = acked_;
    m.until = next_ + static_cast<std::uint32_t>(delay_);
    // Commands made since the last step are for step `until` itself: they go once that step is final.
    for (const timed_input& in : unacked_) {
        if (in.step >= m.until)
            break;
        if (m.inputs.size() == MAX_INPUTS) {
            // The rest next time; never more than MAX_COMMANDS_PER_STEP share a step, so some fit.
            m.until = in.step;
            break;
        }
        m.inputs.push_back(in);
    }
    send(m, how);
    last_sent_ = now_;
}

void CNetSession::submit(const board_command& command) {
    if (phase_ != PLAYING)
        return;
    const std::uint32_t at = next_ + static_cast<std::uint32_t>(delay_);
    std::size_t same_step = 0;
    for (auto i = local_.rbegin(); i != local_.rend() && i->step == at; ++i)
        ++same_step;
    if (same_step >= MAX_COMMANDS_PER_STEP)
        return;
    local_.push_back({at, command_byte(command)});
    unacked_.push_back({at, command_byte(command)});
}

bool CNetSession::step_ready() const {
    return phase_ == PLAYING && remote_until_ > next_ && next_ < stop_at_;
}

std::vector<board_command> CNetSession::step_inputs() const {
    std::vector<board_command> out;
    const bool blue_here = local_side_ == BLUE_STATION;
    for (const std::deque<timed_input>* side :
         {blue_here ? &local_ : &remote_, blue_here ? &remote_ : &local_}) {
        for (const timed_input& in : *side) {
            if (in.step != next_)
                break;
            out.push_back(byte_command(in.command));
        }
    }
    return out;
}

void CNetSession::step_done(const std::function<std::uint64_t()>& board_hash) {
    if (phase_ != PLAYING)
        return;
    while (!local_.empty() && local_.front().step <= next_)
        local_.pop_front();
    while (!remote_.empty() && remote_.front().step <= next_)
        remote_.pop_front();
    ++next_;
    send_inputs();
    check_left();
    if (next_ % HASH_PERIOD == 0)
        check_now(board_hash());
    link_.flush();
}

void CNetSession::check_now(std::uint64_t board_hash) {
    if (phase_ != PLAYING || local_hashes_.count(next_) != 0)
        return;
    local_hashes_[next_] = board_hash;
    if (local_hashes_.size() > MAX_HASHES)
        local_hashes_.erase(local_hashes_.begin());
    message m;
    m.type = STATE_HASH;
    m.match = static_cast<std::uint16_t>(match_);
    m.step = next_;
    m.hash = board_hash;
    send(m);
    compare_hashes(next_);
}

void CNetSession::compare_hashes(std::uint32_t step) {
    auto here = local_hashes_.find(step);
    auto there = remote_hashes_.find(step);
    if (here == local_hashes_.end() || there == remote_hashes_.end())
        return;
    const bool same = here->second == there->second;
    local_hashes_.erase(here);
    remote_hashes_.erase(there);
    if (!same)
        end("Out of sync");
}

void CNetSession::ready_for_next_match() {
    if (phase_ != PLAYING || ready_here_)
        return;
    ready_here_ = true;
    send_about_next_match(NEXT_MATCH);
    if (ready_there_)
        start_match();
}

void CNetSession::decline_next_match() {
    if (phase_ != PLAYING || !ready_there_)
        return;
    ready_there_ = false;
    send_about_next_match(DECLINE);
}

void CNetSession::send_about_next_match(message_type type) {
    message m;
    m.type = type;
    m.match = static_cast<std::uint16_t>(match_ + 1);
    send(m);
}

bool CNetSession::take_declined() {
    return std::exchange(declined_, false);
}

bool CNetSession::take_new_match() {
    return std::exchange(new_match_, false);
}

void CNetSession::announce_leave() {
    if (phase_ != PLAYING || announced_)
        return;
    announced_ = true;
    if (next_ + static_cast<std::uint32_t>(delay_) < stop_at_)
        stop_at_ = next_ + static_cast<std::uint32_t>(delay_);
    // The commands up to that step must arrive even if this side is gone before a repeat would.
    send_inputs(CNetLink::RELIABLE);
    message m;
    m.type = LEAVE;
    m.match = static_cast<std::uint16_t>(match_);
    m.step = stop_at_;
    send(m);
    link_.flush();
}

void CNetSession::check_left() {
    if (left_there_ && next_ >= stop_at_)
        end("Opponent left");
}

void CNetSession::leave() {
    if (phase_ == PLAYING && !announced_) {
        announce_leave();
    } else if (phase_ == WAITING) {
        message m;
        m.type = LEAVE;
        send(m);
    }
    link_.shut_down(300);
    end("");
}
