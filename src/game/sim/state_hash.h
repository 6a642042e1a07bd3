#pragma once

#include <cstdint>

// A 64-bit hash of everything the next logic step depends on: every particle in list order (type,
// position, velocity, angle, counter, animation, tint), both stations, the match clocks, the generator's
// position, the game state and who drives the red station. Two boards with the same hash play on alike; the
// recordings and the network session compare it. Texture ids are left out: they depend on the window, not on
// the game.
std::uint64_t state_hash();
// The same without the match clock's step count, seed and dice: the board as it is drawn. The step count
// goes on while a recorded match is paused, and the picture of a paused match does not change with it.
std::uint64_t board_hash();
