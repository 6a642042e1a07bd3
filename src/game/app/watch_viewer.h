#pragma once

#include <cstdint>
#include <string>

// --watch and the network screen's Watch, once the window is open: follows the host's match a second
// behind, with the viewer's keys (replay_viewer.h), the next matches of the session too, until Escape,
// the window is closed, or the session has ended and its last step has been shown. False, with
// `error`, when the connection cannot even be tried.
bool watch_match(const std::string& host, std::uint16_t port, std::string& error);
