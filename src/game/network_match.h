#pragma once

#include <cstdint>
#include <string>

// The game's side of a network match: hosting or joining, the waiting screen, lockstep steps run
// through the recorder, the local player's commands routed to the session, and what the session
// reports turned into screens and notes. Without a session every hook passes through to the local game.
namespace network_match {

// Both show the network screen until the other side is there, then start the match.
bool host(std::uint16_t port, std::string& error);
bool join(const std::string& host, std::uint16_t port, std::string& error);
// From host() or join() until the session ends.
bool active();

// What the input callbacks ask for; the next poll() does it, since callbacks do no network work.
// A host or join that fails says why in note().
void host_soon(std::uint16_t port);
void join_soon(const std::string& host, std::uint16_t port);
// Enter after a match: the next one starts once the other side wants it too.
void ready_for_next_match_soon();
// Escape while waiting, or Main menu: this side goes.
void leave_soon();

// Main loop hooks: the traffic and what it changed, once a turn; whether the next step may run (the
// other side's commands for it are known); the step itself.
void poll();
bool step_ready();
bool step();

// This side goes now (the program ends); the other side is told.
void leave();

// What the screen should say about the network now, "" for nothing: while waiting, during a match,
// and for a while on the title screen after a network game ended.
std::string note();

}  // namespace network_match
