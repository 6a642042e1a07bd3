#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One effect: its file name under sfx/ and its 16-bit mono samples at synth::RATE.
struct named_sound {
    std::string name;
    std::vector<int16_t> samples;
};

// Every effect the game plays, in a fixed order.
std::vector<named_sound> make_all_sounds();
