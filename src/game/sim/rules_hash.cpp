#include "game/sim/rules_hash.h"

std::uint64_t rules_hash() {
    return ZELVORANT_RULES_HASH;
}
