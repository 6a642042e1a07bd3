#include "game/network_match.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <utility>

#include "game/global.h"
#include "game/match_clock.h"
#include "game/match_recorder.h"
#include "game/match_start.h"
#include "game/netplay.h"
#include "game/rules_hash.h"
#include "game/settings.h"
#include "game/state_hash.h"
#include "game/station_input.h"
#include "game/version.h"
#include "net/link.h"

namespace network_match {

namespace {

using namespace global;

constexpr double WAITING_NOTE_AFTER = 0.5;  // seconds of waiting for the other side before the HUD says so
constexpr double LAST_WORD_SECONDS = 8;     // how long the title screen says why a network game ended
constexpr double LEAVE_SECONDS = 1;         // at most this long to run on to the step both stop at

std::unique_ptr<CNetSession> session;
bool match_on = false;      // the session's match has begun on this board
bool end_checked = false;   // the board at this match's end was compared with the other side's
double waiting_since = -1;  // when a step first had to wait, -1 while steps run
std::string addresses;      // this machine's, for the waiting host's screen

// What an input callback asked the next poll() to do.
enum request_kind { NO_REQUEST, HOST, JOIN, NEXT_MATCH, LEAVE };
request_kind request = NO_REQUEST;
std::string request_host;
std::uint16_t request_port = 0;
std::string last_word;  // why the last network game ended
double last_word_at = 0;

double now() {
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool playing() {
    return session != nullptr && session->state() == CNetSession::PLAYING && match_on;
}

// A session that ended leaves the board as it stopped until poll() takes it back to the title screen:
// another step would run on one side only and change its recording.
bool board_held() {
    return session != nullptr && match_on && session->state() != CNetSession::PLAYING;
}

// Both ends of a network match seed it alike: from the number of the match in the session.
std::uint32_t match_seed() {
    // Installed only while a session exists.
    return static_cast<std::uint32_t>(session->match());
}

// Local commands go to the session, to take effect a few steps later on both boards. Whatever
// station a key names, it steers this side's own station.
void route(const board_command& command) {
    if (!playing())
        return;
    board_command mine = command;
    if (command.target != TARGET_MATCH)
        mine.target = static_cast<command_target>(session->local_side());
    session->submit(mine);
}

void begin(std::unique_ptr<CNetSession> s) {
    session = std::move(s);
    match_on = false;
    last_word.clear();
    restart();
    game_state = HIDDEN;
    menu_state = NETWORK;
    set_command_route(route);
    match_clock::set_seed_source(match_seed);
}

// Both boards start alike: nothing left from an earlier local game may differ between them.
void start_board() {
    match_start start;
    start.players = MULTI;
    start.difficulty = MEDIUM;
    start.seed = match_seed();
    start.station_x[0] = -9, start.station_y[0] = -4;
    start.station_x[1] = 9, start.station_y[1] = 4;
    restore_match_start(start);
    end_checked = false;
    waiting_since = -1;
}

// Back to the title screen; restart() writes the recording of a match that was on.
void finish(const std::string& why) {
    restart();
    game_state = HIDDEN;
    menu_state = MAIN;
    set_command_route(nullptr);
    match_clock::set_seed_source(nullptr);
    session.reset();
    match_on = false;
    last_word = why;
    last_word_at = now();
}

}  // namespace

bool host(std::uint16_t port, std::string& error) {
    auto s = std::make_unique<CNetSession>(net_identity{PROGRAM_VERSION, rules_hash()});
    if (!s->host(port, settings.input_delay, error))
        return false;
    addresses.clear();
    for (const std::string& a : CNetLink::local_addresses())
        addresses += " " + a;
    begin(std::move(s));
    return true;
}

bool join(const std::string& host, std::uint16_t port, std::string& error) {
    auto s = std::make_unique<CNetSession>(net_identity{PROGRAM_VERSION, rules_hash()});
    if (!s->join(host, port, error))
        return false;
    begin(std::move(s));
    return true;
}

bool active() {
    return session != nullptr;
}

void host_soon(std::uint16_t port) {
    request = HOST;
    request_port = port;
}

void join_soon(const std::string& host, std::uint16_t port) {
    request = JOIN;
    request_host = host;
    request_port = port;
}

void ready_for_next_match_soon() {
    request = NEXT_MATCH;
}

void leave_soon() {
    request = LEAVE;
}

namespace {

void do_request() {
    const request_kind r = std::exchange(request, NO_REQUEST);
    std::string error;
    if ((r == HOST && !host(request_port, error)) ||
        (r == JOIN && !join(request_host, request_port, error))) {
        std::fprintf(stderr, "Network game: %s\n", error.c_str());
        last_word = error;
        last_word_at = now();
    }
    if (r == NEXT_MATCH && playing())
        session->ready_for_next_match();
    if (r == LEAVE)
        leave();
}

}  // namespace

void poll() {
    do_request();
    if (session == nullptr)
        return;
    session->poll(now());
    if (session->state() == CNetSession::OVER) {
        finish(session->note());
        return;
    }
    if (session->state() != CNetSession::PLAYING)
        return;
    if (!match_on) {
        match_on = true;
        start_board();
    }
    if (session->take_new_match())
        start_board();
}

bool step_ready() {
    // What arrived since the turn began may be just what the step needs: a slow frame is longer
    // than the input delay.
    if (playing() && !session->step_ready())
        session->poll(now());
    if (board_held())
        return false;
    if (!playing() || session->step_ready()) {
        waiting_since = -1;
        return true;
    }
    if (waiting_since < 0)
        waiting_since = now();
    return false;
}

bool step() {
    if (board_held())
        return false;
    if (!playing())
        return match_recorder::step();
    for (const board_command& c : session->step_inputs()) {
        take_command(c);
        // Resumed from the other side: the pause menu open here closes.
        if (c.target == TARGET_MATCH && c.code == MATCH_RESUME && menu_state == MAIN)
            menu_state = NONE;
    }
    const bool closing = match_recorder::step();
    session->step_done(state_hash);
    if (game_state == ENDED && !end_checked) {
        end_checked = true;
        session->check_now(state_hash());
    }
    return closing;
}

void leave() {
    if (session == nullptr)
        return;
    // Both boards stop at the announced step; the other side's commands up to it are a moment away.
    if (playing()) {
        session->announce_leave();
        const double give_up = now() + LEAVE_SECONDS;
        while (session->state() == CNetSession::PLAYING && !session->leave_step_reached() &&
               now() < give_up) {
            session->poll(now());
            while (session->step_ready())
                step();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    session->leave();
    finish("");
}

std::string note() {
    if (session == nullptr)
        return now() - last_word_at < LAST_WORD_SECONDS ? last_word : "";
    if (session->state() == CNetSession::WAITING && session->hosting()) {
        std::string text = "Waiting for a player on UDP port " + std::to_string(session->port());
        if (!addresses.empty())
            text += "\nThis machine's address:" + addresses;
        if (!session->note().empty())
            text += "\n" + session->note();
        return text + "\nEscape: back";
    }
    if (session->state() == CNetSession::WAITING)
        return "Connecting to " + session->host_name() + " ...\nEscape: back";
    if (!playing())
        return "";
    if (waiting_since >= 0 && now() - waiting_since > WAITING_NOTE_AFTER)
        return "Waiting for the other player ...";
    if (game_state == PAUSED && menu_state == NONE)
        return "Paused by the other player (Escape: menu)";
    if (game_state == ENDED && session->ready_here())
        return "Waiting for the other player to press Enter";
    if (game_state == ENDED && session->ready_there())
        return "The other player is ready: press Enter";
    return "";
}

}  // namespace network_match
