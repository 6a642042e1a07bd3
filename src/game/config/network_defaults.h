#pragma once

#include <cstdint>

// What a network game uses until the player's settings say otherwise.
namespace network_defaults {
constexpr std::uint16_t PORT = 24816;  // where a hosted game waits
constexpr int INPUT_DELAY = 6;         // steps between a command and its effect on both boards
constexpr int MAX_INPUT_DELAY = 50;
}  // namespace network_defaults
