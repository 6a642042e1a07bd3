#include "game/render/match_time.h"

#include <cstdio>

std::string match_time(std::uint64_t step, float lps) {
    const auto seconds = static_cast<unsigned long long>(static_cast<double>(step) / lps);
    char out[32];
    std::snprintf(out, sizeof out, "%llu:%02llu", seconds / 60, seconds % 60);
    return out;
}
