#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/sim/match_start.h"
#include "game/sim/station_input.h"

// The game's side of one network session: hosting or joining, the lockstep commands of each step, the
// checks after it, and what the session reports turned into notes for the screen. It never touches the
// board or the screens: the run (run/run.h) does, in the order its step reads.
namespace network_match {

// Start a session; the other side is awaited. False, with `error`, when the link cannot be set up.
bool host(std::uint16_t port, std::string& error);
bool join(const std::string& host, std::uint16_t port, std::string& error);
// Over the internet: hosting also asks the router to open the port and, when "settings" names a
// rendezvous server, gets an invite code; joining by code finds the way through that server.
bool host_online(std::uint16_t port, std::string& error);
bool join_code(const std::string& code, std::string& error);
// From host() or join() until the session is closed.
bool active();
// Whether "settings" (or the build) names a rendezvous server.
bool server_configured();
// Whether this target plays over the network at all (not yet in a browser).
bool available();
// For a session started online: the code the waiting host passes on ("" until the server gives one),
// and once connected, how the other side came in ("direct", "mapped", "punched", "relayed") and the
// round trip in milliseconds. "" and 0 otherwise.
std::string invite_code();
std::string path();
std::uint32_t round_trip_ms();
// For the HUD's corner during such a match: the path and the round trip, "punched  42 ms", the round
// trip taken again once a second so that the still picture is not drawn anew each frame. "" otherwise.
std::string link_label();
// Whether a player's typing is an invite code (any case, dashes and spaces left out).
bool valid_code(const std::string& typed);

// What the input callbacks ask for, done by the run's next poll, since callbacks do no network work.
enum class request {
    NONE,
    HOST,
    JOIN,
    HOST_ONLINE,
    JOIN_CODE,
    WATCH,
    NEXT_MATCH,
    LEAVE,
    DECLINE,
    STOP_WAITING
};
void host_soon(std::uint16_t port);
void join_soon(const std::string& host, std::uint16_t port);
void host_online_soon(std::uint16_t port);
void join_code_soon(const std::string& code);
void watch_soon(const std::string& host, std::uint16_t port);
// Enter after a match: the next one starts once the other side wants it too. During a match (the
// pause menu's "New game") it asks the other side to give this one up for a new one.
void ready_for_next_match_soon();
// The other side asked for a new match while this one goes on: Enter accepts (ready_for_next_match_soon),
// Escape declines.
bool asked_for_new_match();
void decline_new_match_soon();
// Escape while waiting, or Main menu: this side goes.
void leave_soon();
// Escape while waiting for a session started from the network screen: it goes, that screen stays.
void stop_waiting_soon();
// The request since the last call, with its port and host for HOST, JOIN and WATCH (the code for
// JOIN_CODE).
request take_request(std::uint16_t& port, std::string& host);

// What the traffic since the last poll means for the board.
enum class change {
    NONE,
    MATCH_BEGINS,  // both sides are there, or both asked for the next match: start the board below
    OVER,          // the session ended (why: last_word()); it is closed
    NEVER_BEGAN,   // the session ended before any match began (a host that does not answer); it is closed
};
change poll();
// The main loop's rest between turns: the session's port is read meanwhile, so that a flood of junk
// does not fill its buffer and push out the other side's datagrams. False, having waited for nothing,
// when there is no session.
bool rest(double seconds);
// The board both sides start each match from: the session's match number `match`, or the current one.
match_start starting_board(int match);
match_start starting_board();

// The session's match is being played on this board.
bool playing();
// The station this side steers, from host() or join() on.
station_side own_side();
// Each side's wins since the session began: the same two players' series, never saved.
struct series_score {
    int blue = 0;
    int red = 0;
};
series_score series();
// A session that ended holds the board as it stopped until the run's poll takes it back: another step
// would run on one side only and change its recording.
bool board_held();
// Whether the next step may run now: no session's match holds it, or the other side's commands for it
// are known.
bool step_ready();
// A match is played and the other side's commands for the next step are known.
bool commands_ready();
// A local command for the session: it takes effect a few steps later on both boards, on this side's
// own station whatever station it names. Dropped while no match is played.
void submit(const board_command& command);
// The commands of the next step, blue's before red's; the board before it is kept, to come back to.
std::vector<board_command> step_commands();
// The step about to run will be final: no session's match, or the other side's real commands for it known.
bool next_step_final();
// The step has run: hashes exchanged when due, and the board compared once at a match's end.
void step_done();

// Steps run ahead of the other side's commands, which turned out otherwise: true when the board has
// just been taken back to the earliest step they change; the steps since are then run again at once.
bool go_back();
bool replaying();
// The number of the next step of the session's match (0 without one).
std::uint32_t next_step();
// Every step run so far is final: no session's match, or the other side's commands known for all.
bool settled();

// Leaving: both boards stop at one announced step so that both recordings end alike. begin_leaving()
// announces it when a match is played and says whether to run on to it; leaving_done() tells when
// that step is reached or the session is gone; close() says goodbye and ends the session.
bool begin_leaving();
bool leaving_done();
void close(const std::string& why);
// After close(), once: true when the board did not stop at a step both sides stop at (the connection
// was lost, the boards went out of sync), with where a recording of the match must end so that the
// other side's ends alike: after `step` steps, the last both boards were found alike at, with the
// board's hash `hash` there. A step of 0: no such step; nothing of the match is kept.
bool take_recording_end(std::uint32_t& step, std::uint64_t& hash);

// What the screen should say about the network now, "" for nothing: while waiting, during a match,
// and for a while on the title screen after a network game ended.
std::string note();
// Why the last network game ended, or why it could not start.
void set_last_word(const std::string& why);

}  // namespace network_match
