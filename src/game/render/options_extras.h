#pragma once

#include <string>
#include <vector>

// What the options screen shows beyond its own controls, drawn over them in the HUD pass: a warning
// tint on every key button whose key another action shares, the connected pads with the station each
// drives, in the free space of the right column, and over the columns what a key button waiting for a
// key asks. With no pad, no shared key and no button waiting it draws nothing.
void draw_options_extras();
// What the waiting key button asks for ("Blue turn clockwise: press a key, Escape to cancel"), or
// empty while none waits.
std::string key_capture_prompt();
// The pad lines the options screen shows now, as drawn (empty with no pad).
std::vector<std::string> options_pad_lines();
