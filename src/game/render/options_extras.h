#pragma once

#include <string>
#include <vector>

// What the options screen shows beyond its own controls, drawn over them in the HUD pass: a warning
// tint on every key button whose key another action shares, and the connected pads with the station
// each drives, in the free space of the right column. With no pad and no shared key it draws nothing.
void draw_options_extras();
// The pad lines the options screen shows now, as drawn (empty with no pad).
std::vector<std::string> options_pad_lines();
