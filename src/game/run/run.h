#pragma once

#include <cstdint>
#include <string>

#include "game/sim/station_input.h"

// The owner of a run of the game: every command on its way to the board, every logic step, the start and
// the end of every match. Its step reads in the order things happen: the network session's commands for
// the step, the recorder, the logic step, the checks after it. The screens and the input call it; it calls
// the board, the recorder and the network session, and nothing calls back.
namespace run {

// The one way a player's action (keys, pads, the computer) reaches the board: at once, seen by the
// recorder first; in a network match, through the session, to take effect a few steps later on both ends.
void submit(const board_command& command);

// Once a turn before the steps: what the input asked of the network and what its traffic changed.
void poll();
// Whether the next step may run now.
bool step_ready();
// One logic step of the run; true when the program is to stop.
bool step();

// The board is cleared: a recorded match that has run a step is written as it stands first.
void clear_board();
// The title screen's "Single player" (the difficulty window comes first) and "Multi player".
void new_local_match(int players);
// Enter after a match: the next one; in a network match, once the other side wants it too.
void play_again();

// Start a network session from the command line, before the loop runs; false with `error`.
bool host(std::uint16_t port, std::string& error);
bool join(const std::string& host, std::uint16_t port, std::string& error);
// The same over the internet: the router asked for the port, an invite code from the rendezvous server.
bool host_online(std::uint16_t port, std::string& error);
bool join_code(const std::string& code, std::string& error);
// This side leaves the network session now: both boards run on to the announced step, then the title.
void leave_network();

// The program ends: the network session is left and the open recording written.
void finish();

}  // namespace run

// The entry points the input and the computer use: commands to one station or to the match.
void submit_station_command(station_side side, station_command command);
void submit_match_command(match_command command);
