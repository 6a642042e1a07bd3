#include "game/netplay/network_match.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <utility>

#include "game/config/settings.h"
#include "game/config/version.h"
#include "game/netplay/netplay.h"
#include "game/netplay/online_play.h"
#include "game/sim/board_ring.h"
#include "game/sim/global.h"
#include "game/sim/match_clock.h"
#include "game/sim/rules_hash.h"
#include "game/sim/state_hash.h"
#include "net/link.h"
#include "net/rendezvous_message.h"

namespace network_match {

namespace {

using namespace global;

constexpr double WAITING_NOTE_AFTER = 0.5;  // seconds of waiting for the other side before the HUD says so
constexpr double LAST_WORD_SECONDS = 8;     // how long the title screen says why a network game ended
constexpr double DECLINED_SECONDS = 4;      // how long a refused request for a new match is told
constexpr double LINK_LABEL_EVERY = 1;      // seconds between round trips shown

std::unique_ptr<CNetSession> session;
std::unique_ptr<COnlinePlay> online;  // beside the session, on its port: goes before it
std::string told_code;                // the invite code last printed
bool match_on = false;                // the session's match has begun on this board
bool end_checked = false;             // the board at this match's end was compared with the other side's
double waiting_since = -1;            // when a step first had to wait, -1 while steps run
std::string addresses;                // this machine's, for the waiting host's screen
// The board before each step a rollback may go back to.
CBoardRing kept_boards(CNetSession::ROLLBACK_REACH + 1);

request pending = request::NONE;
std::string pending_host;
std::uint16_t pending_port = 0;
std::string last_word;  // why the last network game ended
double last_word_at = 0;
series_score score;
double declined_at = -1;  // when the other side last refused a new match
// Where the recording of a match that ended apart is to end, until the run takes it.
bool recording_cut = false;
std::uint32_t cut_step = 0;
std::uint64_t cut_hash = 0;

double now() {
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Both ends of a network match seed it alike: from the number of the match in the session.
std::uint32_t match_seed() {
    return static_cast<std::uint32_t>(session->match());
}

std::unique_ptr<CNetSession> rolling_session() {
    auto s = std::make_unique<CNetSession>(net_identity{PROGRAM_VERSION, rules_hash()});
    s->allow_rollback();
    return s;
}

void begin(std::unique_ptr<CNetSession> s, std::unique_ptr<COnlinePlay> o = nullptr) {
    told_code.clear();
    session = std::move(s);
    online = std::move(o);
    kept_boards.clear();
    match_on = false;
    last_word.clear();
    score = {};
    declined_at = -1;
}

// The board just ended: the winner's tally goes up; a draw counts for neither.
void count_result() {
    const bool blue_down = station1->shields <= 0, red_down = station2->shields <= 0;
    if (blue_down && !red_down)
        ++score.red;
    else if (red_down && !blue_down)
        ++score.blue;
}

// Which station this side plays, in the words of the notes.
std::string own_station_words() {
    return own_side() == BLUE_STATION ? "blue, on the left" : "red, on the right";
}

// A new match on both boards: nothing left from an earlier local game may differ between them.
change match_begins() {
    end_checked = false;
    kept_boards.clear();
    waiting_since = -1;
    match_clock::fix_seed(match_seed());
    return change::MATCH_BEGINS;
}

// The session ends: after a match, or before any could begin.
change closed(const std::string& why) {
    const bool played = match_on;
    close(why);
    return played ? change::OVER : change::NEVER_BEGAN;
}

// The board at a match's end is compared once, when no step before it can change any more.
void check_end() {
    if (!playing() || game_state != ENDED || end_checked || !settled())
        return;
    end_checked = true;
    count_result();
    session->check_now(state_hash());
    session->board_ended();
}

}  // namespace

bool host(std::uint16_t port, std::string& error) {
    auto s = rolling_session();
    if (!s->host(port, settings.input_delay, error))
        return false;
    addresses.clear();
    for (const std::string& a : CNetLink::local_addresses())
        addresses += " " + a;
    begin(std::move(s));
    return true;
}

bool join(const std::string& host, std::uint16_t port, std::string& error) {
    auto s = rolling_session();
    if (!s->join(host, port, error))
        return false;
    begin(std::move(s));
    return true;
}

bool host_online(std::uint16_t port, std::string& error) {
    if (!host(port, error))
        return false;
    online = std::make_unique<COnlinePlay>(*session);
    if (online->host(settings.rendezvous_server, now(), error))
        return true;
    close("");
    return false;
}

bool join_code(const std::string& code, std::string& error) {
    auto s = rolling_session();
    auto o = std::make_unique<COnlinePlay>(*s);
    // The port first: the JOIN goes out from it.
    if (!s->open(error) || !o->join(settings.rendezvous_server, code, now(), error))
        return false;
    begin(std::move(s), std::move(o));
    return true;
}

bool active() {
    return session != nullptr;
}

bool server_configured() {
    return !settings.rendezvous_server.empty();
}

bool available() {
    return CNetLink::available();
}

std::string invite_code() {
    return online != nullptr ? online->code() : "";
}

std::string path() {
    return online != nullptr ? online->path() : "";
}

std::uint32_t round_trip_ms() {
    return online != nullptr && session != nullptr ? session->round_trip_ms() : 0;
}

std::string link_label() {
    static std::string label;
    static double taken = -1;
    if (!playing() || path().empty())
        return "";
    if (taken < 0 || now() - taken >= LINK_LABEL_EVERY || label.rfind(path(), 0) != 0) {
        taken = now();
        label = path() + "  " + std::to_string(round_trip_ms()) + " ms";
    }
    return label;
}

bool valid_code(const std::string& typed) {
    std::string code;
    return rdv::normalize_code(typed, code);
}

void host_soon(std::uint16_t port) {
    pending = request::HOST;
    pending_port = port;
}

void join_soon(const std::string& host, std::uint16_t port) {
    pending = request::JOIN;
    pending_host = host;
    pending_port = port;
}

void host_online_soon(std::uint16_t port) {
    pending = request::HOST_ONLINE;
    pending_port = port;
}

void join_code_soon(const std::string& code) {
    pending = request::JOIN_CODE;
    pending_host = code;
}

void watch_soon(const std::string& host, std::uint16_t port) {
    join_soon(host, port);
    pending = request::WATCH;
}

void ready_for_next_match_soon() {
    pending = request::NEXT_MATCH;
}

void leave_soon() {
    pending = request::LEAVE;
}

void stop_waiting_soon() {
    pending = request::STOP_WAITING;
}

bool asked_for_new_match() {
    return playing() && game_state != ENDED && session->ready_there() && !session->ready_here();
}

void decline_new_match_soon() {
    pending = request::DECLINE;
}

request take_request(std::uint16_t& port, std::string& host) {
    port = pending_port;
    host = pending_host;
    if (pending == request::NEXT_MATCH && playing())
        session->ready_for_next_match();
    if (pending == request::DECLINE && playing())
        session->decline_next_match();
    return std::exchange(pending, request::NONE);
}

bool rest(double seconds) {
    if (session == nullptr)
        return false;
    session->rest(seconds);
    return true;
}

change poll() {
    if (session == nullptr)
        return change::NONE;
    // What arrived first: after a slow turn the server's answer may be waiting, and the way in judges
    // its time limits after reading it.
    session->poll(now());
    if (online != nullptr && !online->poll(now())) {
        const std::string why = online->problem();
        std::fprintf(stderr, "Network game: %s\n", why.c_str());
        return closed(why);
    }
    // Also for a host started from a terminal, who passes the code on from there.
    if (online != nullptr && !online->code().empty() && online->code() != told_code) {
        told_code = online->code();
        std::printf("Invite code for the other player: %s\n", told_code.c_str());
        std::fflush(stdout);
    }
    if (session->state() == CNetSession::OVER) {
        // Copied first: the session that holds the note is about to go.
        const std::string why = session->note();
        return closed(why);
    }
    if (session->state() != CNetSession::PLAYING)
        return change::NONE;
    if (session->take_declined())
        declined_at = now();
    else if (game_state == ON)
        declined_at = -1;
    if (!match_on) {
        match_on = true;
        session->take_new_match();
        return match_begins();
    }
    if (session->take_new_match())
        return match_begins();
    check_end();
    return change::NONE;
}

match_start starting_board() {
    return starting_board(session->match());
}

// Seeded alike on every side: from the number of the match in the session.
match_start starting_board(int match) {
    match_start start;
    start.players = MULTI;
    start.difficulty = MEDIUM;
    start.seed = static_cast<std::uint32_t>(match);
    start.station_x[0] = -9, start.station_y[0] = -4;
    start.station_x[1] = 9, start.station_y[1] = 4;
    return start;
}

bool playing() {
    return session != nullptr && session->state() == CNetSession::PLAYING && match_on;
}

station_side own_side() {
    return session != nullptr ? session->local_side() : BLUE_STATION;
}

series_score series() {
    return score;
}

bool board_held() {
    return session != nullptr && match_on && session->state() != CNetSession::PLAYING;
}

bool step_ready() {
    // What arrived since the turn began may be just what the step needs: a slow frame is longer
    // than the input delay.
    if (playing() && !session->step_ready())
        session->poll(now());
    if (board_held())
        return false;
    // A match's end waits for the steps before it to be final, so that both sides end it alike.
    const bool end_unsettled = playing() && game_state == ENDED && !settled();
    if (!playing() || (session->step_ready() && !end_unsettled)) {
        waiting_since = -1;
        return true;
    }
    if (waiting_since < 0)
        waiting_since = now();
    return false;
}

bool commands_ready() {
    return playing() && session->step_ready();
}

void submit(const board_command& command) {
    if (!playing())
        return;
    board_command mine = command;
    if (command.target != TARGET_MATCH)
        mine.target = static_cast<command_target>(session->local_side());
    session->submit(mine);
}

std::vector<board_command> step_commands() {
    if (!playing())
        return {};
    kept_boards.save(session->next_step());
    return session->step_inputs();
}

bool next_step_final() {
    return !playing() ||
           (session->rollback_to() == CNetSession::NO_STEP && session->next_step() < session->remote_until());
}

void step_done() {
    if (!playing())
        return;
    session->step_done(state_hash);
    check_end();
}

bool go_back() {
    if (!playing() || session->rollback_to() == CNetSession::NO_STEP)
        return false;
    if (!kept_boards.restore(session->rollback_to())) {
        // Cannot happen while steps stay within the reach; if it did, the boards could only differ.
        close("This board could not go back far enough");
        return false;
    }
    session->rewind();
    return true;
}

bool replaying() {
    return playing() && session->replaying();
}

std::uint32_t next_step() {
    return playing() ? session->next_step() : 0;
}

bool settled() {
    return !playing() ||
           (session->confirmed() >= session->next_step() && session->rollback_to() == CNetSession::NO_STEP);
}

bool begin_leaving() {
    if (!playing())
        return false;
    session->announce_leave();
    return true;
}

bool leaving_done() {
    if (session == nullptr || session->state() != CNetSession::PLAYING || session->leave_step_reached())
        return true;
    session->poll(now());
    return false;
}

void close(const std::string& why) {
    if (session == nullptr)
        return;
    online.reset();
    if (session->state() != CNetSession::OVER)
        session->leave();
    recording_cut = match_on && !session->stopped_together();
    cut_step = session->agreed_step();
    cut_hash = session->agreed_hash();
    match_clock::seeds_from_clock();
    session.reset();
    match_on = false;
    set_last_word(why);
}

bool take_recording_end(std::uint32_t& step, std::uint64_t& hash) {
    step = cut_step;
    hash = cut_hash;
    return std::exchange(recording_cut, false);
}

void set_last_word(const std::string& why) {
    last_word = why;
    last_word_at = now();
}

std::string note() {
    if (session == nullptr)
        return now() - last_word_at < LAST_WORD_SECONDS ? last_word : "";
    if (session->state() == CNetSession::WAITING && session->hosting()) {
        std::string text = "Waiting for a player on UDP port " + std::to_string(session->port());
        if (online != nullptr)
            text += "\n" + online->host_lines();
        if (!addresses.empty())
            text += "\nThis machine's address:" + addresses;
        if (!session->note().empty())
            text += "\n" + session->note();
        return text + "\nYou will play " + own_station_words() + "\nEscape: back";
    }
    if (session->state() == CNetSession::IDLE)
        return "Finding the host through the rendezvous server ...\nYou will play " + own_station_words() +
               "\nEscape: back";
    if (session->state() == CNetSession::WAITING)
        return "Connecting to " + session->host_name() +
               (online != nullptr ? " (" + online->path() + ")" : "") + " ...\nYou will play " +
               own_station_words() + "\nEscape: back";
    if (!playing())
        return "";
    if (waiting_since >= 0 && now() - waiting_since > WAITING_NOTE_AFTER)
        return "Waiting for the other player ... (you play " + own_station_words() + ")";
    if (asked_for_new_match())
        return "The other player asks for a new match\nEnter: accept    Escape: decline";
    if (game_state != ENDED && session->ready_here())
        return "Asking the other player for a new match ... (Escape: menu)";
    // Said while this side's board stays paused behind the closed menu, then for a while.
    if (declined_at >= 0 &&
        (now() - declined_at < DECLINED_SECONDS || (game_state == PAUSED && menu_state == NONE)))
        return "The other player declined a new match (Escape: menu)";
    if (game_state == PAUSED && menu_state == NONE)
        return "Paused by the other player (Escape: menu)";
    if (game_state == ENDED && session->ready_here())
        return "Waiting for the other player to press Enter";
    if (game_state == ENDED && session->ready_there())
        return "The other player is ready: press Enter";
    return "";
}

}  // namespace network_match
