#pragma once

#include <cstdint>

// A hash of the sources of the game's rules, taken at build time: two programs with the same version
// but a different build of the rules would drift apart in a network match, so they do not start one.
std::uint64_t rules_hash();
