#include "game/netplay/netplay.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <utility>

#include "game/netplay/refusal_text.h"

namespace {

using namespace netmsg;

// Commands not yet acknowledged are sent again this often while no step sends them; an idle side
// (paused, match over) keeps talking at that rate too, so that silence means trouble.
constexpr double RESEND = 0.02;

// A rolling board delays its own commands by a step for every this much of round trip: each step of
// delay is a step less the other side must go back.
constexpr double ROUND_TRIP_PER_DELAY_STEP = 0.05;

const char* const BAD_MESSAGE = "The other side sent a message this program does not understand";

const char* const OPPONENT_LEFT_NOTE = "Opponent left";
// Milliseconds the side that stays waits, once at the step both stop at, for its last commands to be
// acknowledged: the side that left needs them to end its board there too.
constexpr int LAST_WORD_MS = 300;
const char* const LOST_NOTE = "Connection lost";
const char* const OUT_OF_SYNC_NOTE = "Out of sync";

// What watchers are told when the session ends for `why` ("" when left by this side).
watch_end watchers_told(const std::string& why) {
    if (why.empty() || why == OPPONENT_LEFT_NOTE)
        return PLAYER_LEFT;
    if (why == LOST_NOTE)
        return CONNECTION_LOST;
    return why == OUT_OF_SYNC_NOTE ? OUT_OF_SYNC : HOST_STOPPED;
}

}  // namespace

CNetSession::CNetSession(net_identity me) : me_(std::move(me)) {}

CNetSession::~CNetSession() = default;

bool CNetSession::host(std::uint16_t port, int input_delay, std::string& error, const char* address) {
    if (input_delay < 1 || input_delay > MAX_DELAY) {
        error = "the input delay must be 1 to " + std::to_string(MAX_DELAY) + " steps";
        return false;
    }
    // Room for the player and strangers, so that a few connections that never become players cannot
    // keep one out, and for the watchers besides; others are told the match is full.
    if (!link_.listen(port, HOST_SLOTS + CWatchFeed::MAX_WATCHERS, error, address))
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

bool CNetSession::open(std::string& error) {
    local_side_ = RED_STATION;
    return phase_ == IDLE && link_.open(0, error);
}

void CNetSession::poll(double now) {
    now_ = now;
    if (phase_ == OVER)
        return;
    if (started_ < 0 && phase_ != IDLE)
        started_ = now;
    for (int i = 0; i < 1000 && phase_ != OVER; ++i) {
        CNetLink::event e = link_.service(0);
        if (e.kind == CNetLink::NOTHING)
            break;
        on_event(e);
    }
    // A connection that never says who it is must not keep a place from real players: it goes at
    // once, without waiting for it to acknowledge.
    for (std::size_t i = candidates_.size(); i-- > 0;) {
        if (now - candidates_[i].since > GREETING_LIMIT) {
            link_.drop(candidates_[i].peer);
            forget_candidate(candidates_[i].peer);
        }
    }
    if (phase_ == WAITING && !hosting() && now - started_ > CONNECT_LIMIT)
        end("No answer from " + host_name_);
    if (phase_ == PLAYING && now - last_heard_ > SILENCE_LIMIT)
        end(LOST_NOTE);
    if (phase_ == PLAYING && hashes_.overdue(now))
        end("The other side did not check its board with ours");
    if (phase_ == PLAYING && now - last_sent_ >= RESEND)
        send_inputs();
    if (phase_ != OVER)
        feed_.poll(now);
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
            hello_sent_ = now_;
        } else {
            // A player during a match is told it is full once it greets; a watcher is welcome.
            candidates_.push_back({e.peer, now_});
        }
        return;
    }
    if (e.kind == CNetLink::DISCONNECTED) {
        forget_candidate(e.peer);
        feed_.forget(e.peer);
        if (e.peer == player_ && phase_ == WAITING)
            end("No answer from " + host_name_);
        else if (e.peer == player_ && (left_there_ || announced_) && remote_until_ >= stop_at_)
            return;  // gone with its commands up to the step both stop at here: the board runs on to it
        else if (e.peer == player_ && left_there_)
            end(OPPONENT_LEFT_NOTE);  // gone before its last commands arrived
        else if (e.peer == player_ && announced_)
            end("");  // this side leaves: the other side went first
        else if (e.peer == player_)
            end(LOST_NOTE);
        return;
    }
    for (const candidate& c : candidates_) {
        if (c.peer == e.peer) {
            on_candidate_message(e);
            return;
        }
    }
    if (feed_.watches(e.peer)) {
        on_watcher_message(e);
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
            end(BAD_MESSAGE);
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
    } else if (r != DECODED || (m.type != HELLO && m.type != WATCH)) {
        note_ = who + "not a player of this game";
        refuse(e.peer, PROTOCOL_DIFFERS);
    } else if (m.program != me_.program) {
        note_ = who + "version " + m.program + ", this is version " + me_.program;
        refuse(e.peer, PROGRAM_DIFFERS, true);
    } else if (m.rules != me_.rules) {
        note_ = who + "different rules (another build of version " + m.program + ")";
        refuse(e.peer, RULES_DIFFER, true);
    } else if (m.type == WATCH || phase_ != WAITING) {
        if (m.type == HELLO)
            refuse(e.peer, MATCH_FULL);
        else if (!feed_.admit(e.peer, now_))
            refuse(e.peer, WATCHERS_FULL, true);
        else {
            link_.vouch(e.peer);
            link_.send(e.peer, encode(welcome()));
        }
        forget_candidate(e.peer);
        return;
    } else {
        // The first to greet rightly plays; the other players waiting are told the match is full
        // once they greet.
        player_ = e.peer;
        link_.vouch(player_);
        forget_candidate(player_);
        send(welcome());
        note_.clear();
        start_match();
        return;
    }
    std::fprintf(stderr, "%s\n", note_.c_str());
    forget_candidate(e.peer);
}

// A watcher may only acknowledge what it has or say goodbye: anything else, or what cannot be read,
// lets it go, and never touches the match.
void CNetSession::on_watcher_message(const CNetLink::event& e) {
    message m;
    std::uint8_t version = 0;
    if (decode(e.data.data(), e.data.size(), m, version) == DECODED) {
        feed_.heard(e.peer, m, now_);
    } else {
        feed_.forget(e.peer);
        link_.drop(e.peer);
    }
}

message CNetSession::welcome() const {
    message m;
    m.type = WELCOME;
    m.program = me_.program;
    m.rules = me_.rules;
    m.input_delay = static_cast<std::uint8_t>(delay_);
    return m;
}

// Only a player of this game that greeted us learns our version, which its player is told; nobody
// learns the rules hash, which no player reads.
void CNetSession::refuse(int peer, refusal why, bool say_version) {
    message m;
    m.type = REFUSE;
    if (say_version)
        m.program = me_.program;
    m.reason = why;
    link_.send(peer, encode(m));
    link_.disconnect(peer);
}

void CNetSession::forget_candidate(int peer) {
    for (std::size_t i = 0; i < candidates_.size(); ++i) {
        if (candidates_[i].peer == peer) {
            candidates_.erase(candidates_.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

void CNetSession::on_player_message(const message& m) {
    if (phase_ == WAITING) {
        if (m.type == WELCOME && m.input_delay >= 1 && m.input_delay <= MAX_DELAY) {
            delay_ = m.input_delay;
            if (hello_sent_ >= 0)
                round_trip_ = now_ - hello_sent_;
            start_match();
        } else if (m.type == REFUSE) {
            end(refusal_text(m.reason, m.program, me_.program));
        } else {
            end(BAD_MESSAGE);
        }
        return;
    }
    switch (m.type) {
        case INPUTS:
            on_inputs(m);
            break;
        case STATE_HASH:
            // The other side runs a step only once it has our commands for it.
            if (m.match == match_)
                judge(hashes_.theirs(m.step, m.hash, own_until_));
            break;
        case NEXT_MATCH:
            if (m.match != match_ + 1)
                break;
            ready_there_ = true;
            if (hosting() && ready_here_)
                decide_stop();
            // Only the host names the step, and only for a match this side wants to leave.
            if (!hosting() && ready_here_ && m.step != NO_STOP)
                stop_at(m.step);
            check_next_match();
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
            // Run ahead beyond where both stop: the board goes back to that step.
            if (m.match == match_ && stop_at_ < present_ && stop_at_ < rollback_from_)
                rollback_from_ = stop_at_;
            check_left();
            break;
        default:
            end(BAD_MESSAGE);
            break;
    }
}

void CNetSession::on_inputs(const message& m) {
    if (m.match != match_)
        return;
    const std::uint32_t ours = own_until_;
    // The other side runs steps with our commands or, rolling back, at most its reach beyond them; its
    // own commands reach at most a delay further.
    const int lead = std::max(delay_, ROLLBACK_REACH + MAX_ROLLBACK_DELAY);
    if (m.until > ours + static_cast<std::uint32_t>(lead)) {
        end("The other side sent commands for steps it cannot have reached");
        return;
    }
    const command_target theirs = local_side_ == BLUE_STATION ? TARGET_RED : TARGET_BLUE;
    for (const timed_input& in : m.inputs) {
        // The other side steers its own station and the match, never ours.
        const board_command c = byte_command(in.command);
        if (!valid_command(c) || (c.target != TARGET_MATCH && c.target != theirs)) {
            end(BAD_MESSAGE);
            return;
        }
    }
    // A message from before a gap (an older one overtaken, or a later one lost) adds nothing safe.
    const bool fresh = m.from <= remote_until_ && m.until > remote_until_;
    std::uint32_t first_new = UINT32_MAX;
    for (const timed_input& in : m.inputs) {
        if (fresh && in.step >= remote_until_) {
            first_new = in.step;
            break;
        }
    }
    if (!remote_acks_.admits(m.ack, m.until, first_new)) {
        end("The other side made commands after it had seen ours for the same step");
        return;
    }
    measure_round_trip(m.ack);
    if (m.ack > acked_) {
        acked_ = m.ack < ours ? m.ack : ours;
        while (!unacked_.empty() && unacked_.front().step < acked_)
            unacked_.pop_front();
    }
    if (!fresh)
        return;
    for (const timed_input& in : m.inputs) {
        if (in.step < remote_until_)
            continue;
        if (!remote_budget_.take(in.step)) {
            end("The other side sent more commands than a player can make");
            return;
        }
        remote_.push_back(in);
        // A step already run went without this command: it runs again.
        if (in.step < present_ && in.step < rollback_from_)
            rollback_from_ = in.step;
    }
    remote_until_ = m.until;
    confirm_steps();
    // The steps both stop at may be final now, with no step left to run.
    check_left();
    check_next_match();
}

// The time from sending a new end of our commands to hearing that the other side has them.
void CNetSession::measure_round_trip(std::uint32_t ack) {
    double sent = -1;
    while (!unanswered_.empty() && unanswered_.front().until <= ack) {
        sent = unanswered_.front().at;
        unanswered_.pop_front();
    }
    if (sent < 0)
        return;
    const double sample = now_ - sent;
    round_trip_ = round_trip_ < 0 ? sample : 0.875 * round_trip_ + 0.125 * sample;
    schedule_own_commands();
}

void CNetSession::schedule_own_commands() {
    if (rollback_)
        delay_ = round_trip_ < 0 ? MAX_ROLLBACK_DELAY
                                 : std::min(MAX_ROLLBACK_DELAY,
                                            static_cast<int>(round_trip_ / ROUND_TRIP_PER_DELAY_STEP));
    // Never earlier than a command already made: the other side may have it; never beyond a leave's
    // step, which the other side must be able to go back to.
    const std::uint32_t wanted = std::min(stop_at_, present_ + static_cast<std::uint32_t>(delay_));
    own_until_ = std::max(own_until_, wanted);
}

void CNetSession::start_match() {
    if (phase_ == PLAYING)
        ++match_;
    phase_ = PLAYING;
    new_match_ = match_ > 0;
    next_ = present_ = confirmed_ = own_until_ = 0;
    rollback_from_ = NO_STEP;
    stop_at_ = UINT32_MAX;
    stop_decided_ = false;
    unconfirmed_hashes_.clear();
    unanswered_.clear();
    schedule_own_commands();
    remote_until_ = 0;
    local_.clear();
    unacked_.clear();
    acked_ = 0;
    remote_.clear();
    local_budget_ = CCommandBudget();
    remote_budget_ = CCommandBudget();
    remote_acks_ = CAckOrder();
    hashes_ = CHashCheck();
    ready_here_ = ready_there_ = false;
    declined_ = false;
    last_heard_ = now_;
    feed_.match_begins(match_);
    send_inputs();
}

void CNetSession::end(const std::string& why) {
    if (phase_ == OVER)
        return;
    stopped_together_ = phase_ == PLAYING && confirmed_ >= stop_at_ && rollback_from_ == NO_STEP;
    phase_ = OVER;
    note_ = why;
    feed_.match_stops(watchers_told(why));
    link_.shut_down(why == OPPONENT_LEFT_NOTE ? LAST_WORD_MS : 0);
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
    m.from = acked_;
    m.until = own_until_;
    // Commands made since the last step are for step `until` itself: they go once that step is final.
    for (const timed_input& in : unacked_) {
        if (in.step >= m.until)
            break;
        if (m.inputs.size() == MAX_INPUTS) {
            // The rest next time; never more than CCommandBudget::PER_STEP share a step, so some fit.
            m.until = in.step;
            break;
        }
        m.inputs.push_back(in);
    }
    m.ack = CAckOrder::to_send(remote_until_, m.until);
    send(m, how);
    last_sent_ = now_;
    if (unanswered_.empty() || unanswered_.back().until < m.until)
        unanswered_.push_back({m.until, now_});
}

void CNetSession::submit(const board_command& command) {
    if (phase_ != PLAYING)
        return;
    const std::uint32_t at = own_until_;
    // Beyond what a player makes, dropped here as the other side would refuse them.
    if (!local_budget_.take(at))
        return;
    local_.push_back({at, command_byte(command)});
    unacked_.push_back({at, command_byte(command)});
}

bool CNetSession::step_ready() const {
    // A new match begun and not yet taken: the board still stands as the last one ended.
    if (phase_ != PLAYING || new_match_ || next_ >= stop_at_ || rollback_from_ != NO_STEP)
        return false;
    if (!rollback_)
        return remote_until_ > next_;
    return next_ < present_ || next_ < remote_until_ + ROLLBACK_REACH;
}

std::vector<board_command> CNetSession::step_inputs() const {
    return inputs_at(next_);
}

// Both sides' known commands for `step`; none of the other side's where it is not known yet.
std::vector<board_command> CNetSession::inputs_at(std::uint32_t step) const {
    std::vector<board_command> out;
    const bool blue_here = local_side_ == BLUE_STATION;
    for (const std::deque<timed_input>* side :
         {blue_here ? &local_ : &remote_, blue_here ? &remote_ : &local_}) {
        for (const timed_input& in : *side) {
            if (in.step > step)
                break;
            if (in.step == step)
                out.push_back(byte_command(in.command));
        }
    }
    return out;
}

void CNetSession::step_done(const std::function<std::uint64_t()>& board_hash) {
    if (phase_ != PLAYING)
        return;
    ++next_;
    const bool again = replaying();
    present_ = std::max(present_, next_);
    if (next_ % HASH_PERIOD == 0)
        unconfirmed_hashes_[next_] = board_hash();
    confirm_steps();
    if (!again) {
        schedule_own_commands();
        send_inputs();
    }
    check_left();
    check_next_match();
    link_.flush();
}

// The one place a step becomes final: both sides' real commands for it known and the board run with
// them. Its checkpoint goes to the other side and the feed hears of it.
void CNetSession::confirm_steps() {
    const std::uint32_t final_before = std::min({remote_until_, next_, rollback_from_});
    while (phase_ == PLAYING && confirmed_ < final_before) {
        const std::uint32_t step = confirmed_;
        const std::vector<board_command> commands = inputs_at(step);
        if (confirmed_feed_)
            confirmed_feed_(step, commands);
        feed_.step_confirmed(commands);
        while (!local_.empty() && local_.front().step <= step)
            local_.pop_front();
        while (!remote_.empty() && remote_.front().step <= step)
            remote_.pop_front();
        ++confirmed_;
        hashes_.passed(confirmed_);
        const auto checkpoint = unconfirmed_hashes_.find(confirmed_);
        if (checkpoint != unconfirmed_hashes_.end()) {
            const std::uint64_t hash = checkpoint->second;
            unconfirmed_hashes_.erase(unconfirmed_hashes_.begin(), std::next(checkpoint));
            check_at(confirmed_, hash);
        }
    }
}

void CNetSession::rewind() {
    if (rollback_from_ == NO_STEP)
        return;
    next_ = rollback_from_;
    rollback_from_ = NO_STEP;
    confirm_steps();
    check_left();
    check_next_match();
}

void CNetSession::check_now(std::uint64_t board_hash) {
    check_at(next_, board_hash);
}

void CNetSession::check_at(std::uint32_t step, std::uint64_t board_hash) {
    if (phase_ != PLAYING || hashes_.taken(step))
        return;
    const CHashCheck::verdict v = hashes_.ours(step, board_hash, now_);
    feed_.hash_confirmed(step, board_hash);
    message m;
    m.type = STATE_HASH;
    m.match = static_cast<std::uint16_t>(match_);
    m.step = step;
    m.hash = board_hash;
    send(m);
    judge(v);
}

void CNetSession::judge(CHashCheck::verdict v) {
    if (v == CHashCheck::DIFFERENT)
        end(OUT_OF_SYNC_NOTE);
    if (v == CHashCheck::NOT_REACHED)
        end("The other side reported its board for a step it cannot have reached");
}

void CNetSession::ready_for_next_match() {
    if (phase_ != PLAYING || ready_here_)
        return;
    ready_here_ = true;
    send_about_next_match(NEXT_MATCH);
    if (ready_there_ && hosting())
        decide_stop();
    check_next_match();
}

// The host, once both sides want the next match: this one stops where its own commands end, a step the
// other side can still go back to.
void CNetSession::decide_stop() {
    if (stop_decided_)
        return;
    stop_decided_ = true;
    stop_at_ = std::min(stop_at_, own_until_);
    message m;
    m.type = NEXT_MATCH;
    m.match = static_cast<std::uint16_t>(match_ + 1);
    m.step = stop_at_;
    send(m);
}

// The joining side, told the step: a board run beyond it goes back to it.
void CNetSession::stop_at(std::uint32_t step) {
    if (step < confirmed_) {
        end("The other side named a step to stop at that is already past");
        return;
    }
    stop_decided_ = true;
    stop_at_ = std::min(stop_at_, step);
    if (stop_at_ < present_ && stop_at_ < rollback_from_)
        rollback_from_ = stop_at_;
}

// Both boards at the step the match stops at, every step before it final: the next match begins.
void CNetSession::check_next_match() {
    if (phase_ == PLAYING && ready_here_ && ready_there_ && stop_decided_ && confirmed_ >= stop_at_ &&
        rollback_from_ == NO_STEP)
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
    m.step = NO_STOP;
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
    if (own_until_ < stop_at_)
        stop_at_ = own_until_;
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
    // Only once the board is back at the step both stop at, if it ran beyond. The other side needs
    // this side's commands up to there as much: they go reliably, and end() waits a moment for them.
    if (phase_ == PLAYING && left_there_ && confirmed_ >= stop_at_ && rollback_from_ == NO_STEP) {
        send_inputs(CNetLink::RELIABLE);
        end(OPPONENT_LEFT_NOTE);
    }
}

void CNetSession::leave() {
    if (phase_ == PLAYING && !announced_) {
        announce_leave();
    } else if (phase_ == WAITING) {
        message m;
        m.type = LEAVE;
        send(m);
    }
    feed_.match_stops(PLAYER_LEFT);
    link_.shut_down(300);
    end("");
}
