#pragma once

#include <cstdint>
#include <string>

// What a joining player or a watcher is told when the host refuses it: `their_program` is the host's
// version, when it said it.
std::string refusal_text(std::uint8_t reason, const std::string& their_program, const std::string& ours);
