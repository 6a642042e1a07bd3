#pragma once

#include <cstdint>
#include <string>

// --watch and the network screen's Watch, once the window is open: follows the host's match a second
// behind, with the viewer's keys (replay_viewer.h), the next matches of the session too, until Escape,
// the window is closed, or the session has ended and its last step has been shown. A turn at a time:
// begin_watch is false, with `error`, when the connection cannot even be tried; watch_turn is false
// once watching is over; end_watch leaves the session.
bool begin_watch(const std::string& host, std::uint16_t port, std::string& error);
bool watch_turn();
void end_watch();
