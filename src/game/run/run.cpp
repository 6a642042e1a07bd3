#include "game/run/run.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "game/netplay/network_match.h"
#include "game/opponent/opponent_turn.h"
#include "game/replay/match_recorder.h"
#include "game/run/heard_events.h"
#include "game/sim/events.h"
#include "game/sim/global.h"
#include "game/sim/logic.h"
#include "game/sim/match_start.h"
#include "game/sim/match_tally.h"

namespace run {

namespace {

using namespace global;

CHeardEvents heard;

constexpr auto LEAVE_TIME = std::chrono::seconds(1);  // at most this long to run on to the step both stop at

// Where the network screen asked to watch, until the program takes it.
bool watch_pending = false;
std::string watch_host;
std::uint16_t watch_port = 0;

// A command taking effect now: the recorder sees it before the board changes.
void take(const board_command& command) {
    match_recorder::record(command);
    apply_command(command);
}

// A network match that ended apart is recorded up to where both boards were last found alike, as the
// other side records it.
void to_title() {
    std::uint32_t step = 0;
    std::uint64_t hash = 0;
    if (network_match::take_recording_end(step, hash))
        match_recorder::end_at(step, hash);
    clear_board();
    game_state = HIDDEN;
    menu_state = MAIN;
}

// A session has begun: the board waits behind the network screen for the other side.
void network_session_began() {
    clear_board();
    game_state = HIDDEN;
    menu_state = NETWORK;
}

void network_match_begins() {
    clear_board();
    heard.clear();
    restore_match_start(network_match::starting_board());
}

// The other side's real commands changed steps already run: the board goes back and runs them again
// now, in the same frame, and the recorder forgets what it had of them.
void catch_up() {
    if (!network_match::go_back())
        return;
    match_recorder::rewind();
    while (network_match::replaying() && network_match::commands_ready())
        step();
}

// A network match's end the recorder held back is written once no step before it can change.
void settle() {
    if (network_match::active() && network_match::settled())
        match_recorder::settle();
}

void start_network(network_match::request kind, std::uint16_t port, const std::string& host) {
    std::string error;
    const bool started = kind == network_match::request::HOST          ? run::host(port, error)
                         : kind == network_match::request::JOIN        ? run::join(host, port, error)
                         : kind == network_match::request::HOST_ONLINE ? run::host_online(port, error)
                                                                       : run::join_code(host, error);
    if (started)
        return;
    std::fprintf(stderr, "Network game: %s\n", error.c_str());
    network_match::set_last_word(error);
}

// A session started, or not.
bool began(bool started) {
    if (started)
        network_session_began();
    return started;
}

}  // namespace

void submit(const board_command& command) {
    if (network_match::active())
        network_match::submit(command);
    else
        take(command);
}

void poll() {
    std::uint16_t port = 0;
    std::string host;
    const network_match::request asked = network_match::take_request(port, host);
    switch (asked) {
        case network_match::request::HOST:
        case network_match::request::JOIN:
        case network_match::request::HOST_ONLINE:
        case network_match::request::JOIN_CODE:
            start_network(asked, port, host);
            break;
        case network_match::request::WATCH:
            watch_pending = true;
            watch_host = host;
            watch_port = port;
            break;
        case network_match::request::LEAVE:
            leave_network();
            break;
        case network_match::request::STOP_WAITING:
            leave_network();
            menu_state = NETWORK;
            break;
        case network_match::request::NEXT_MATCH:
        case network_match::request::DECLINE:
        case network_match::request::NONE:
            break;
    }
    switch (network_match::poll()) {
        case network_match::change::MATCH_BEGINS:
            network_match_begins();
            break;
        case network_match::change::OVER:
            to_title();
            break;
        case network_match::change::NEVER_BEGAN:
            // Back where another address or code can be tried.
            to_title();
            menu_state = NETWORK;
            break;
        case network_match::change::NONE:
            break;
    }
}

bool step_ready() {
    catch_up();
    settle();
    return network_match::step_ready();
}

bool step() {
    if (network_match::board_held())
        return false;
    // The step's events, from its commands on, to be heard once however often it runs.
    const bool networked = network_match::playing();
    const std::uint32_t number = network_match::next_step();
    const std::size_t events_before = global::events.size();
    for (const board_command& c : network_match::step_commands()) {
        take(c);
        // Resumed from the other side: the pause menu open here closes.
        if (c.target == TARGET_MATCH && c.code == MATCH_RESUME && menu_state == MAIN)
            menu_state = NONE;
    }
    match_recorder::before_step();
    // The computer presses its keys as a player would, recorded with the step they precede.
    opponent_turn(submit_station_command);
    const bool final = network_match::next_step_final();
    const bool match_runs = global::game_state == ON;
    const bool closing = program_logic();
    if (match_runs)
        global::tally.after_step(events_before);
    if (networked)
        heard.ran(number, events_before);
    match_recorder::after_step(final);
    network_match::step_done();
    return closing;
}

void clear_board() {
    match_recorder::board_reset();
    restart();
}

void new_local_match(int players) {
    clear_board();
    global::players = players;
    if (players == SINGLE) {
        game_state = PAUSED;
        menu_state = DIFF;
    } else {
        game_state = ON;
        menu_state = NONE;
    }
}

void play_again() {
    if (network_match::active()) {
        network_match::ready_for_next_match_soon();
        return;
    }
    clear_board();
    game_state = ON;
}

bool host(std::uint16_t port, std::string& error) {
    return began(network_match::host(port, error));
}

bool join(const std::string& host, std::uint16_t port, std::string& error) {
    return began(network_match::join(host, port, error));
}

bool host_online(std::uint16_t port, std::string& error) {
    return began(network_match::host_online(port, error));
}

bool join_code(const std::string& code, std::string& error) {
    return began(network_match::join_code(code, error));
}

bool take_watch(std::string& host, std::uint16_t& port) {
    if (!watch_pending)
        return false;
    watch_pending = false;
    host = watch_host;
    port = watch_port;
    return true;
}

bool watch_asked() {
    return watch_pending;
}

void leave_network() {
    if (!network_match::active())
        return;
    if (network_match::begin_leaving()) {
        const auto give_up = std::chrono::steady_clock::now() + LEAVE_TIME;
        while (!network_match::leaving_done() && std::chrono::steady_clock::now() < give_up) {
            catch_up();
            while (network_match::commands_ready())
                step();
            settle();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    network_match::close("");
    to_title();
}

void finish() {
    leave_network();
    match_recorder::finish();
}

}  // namespace run

void submit_station_command(station_side side, station_command command) {
    run::submit({static_cast<command_target>(side), command});
}

void submit_match_command(match_command command) {
    run::submit({TARGET_MATCH, command});
}
