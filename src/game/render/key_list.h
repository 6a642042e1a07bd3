#pragma once

#include <string>
#include <vector>

#include "game/render/text_table.h"

// The keys that play, where a newcomer looks: the how-to-play scene and the pause menu name each
// action's key as the options have it now, and a connected pad's buttons.

// "Turn clockwise", "Turn counter-clockwise", "Primary fire" or "Secondary fire", as the options name
// them, for 0 to 3.
const char* action_name(int action);
// An action a row, a station a column: on the how-to-play scene both stations; over a match those this
// keyboard steers (blue alone against the computer; in a network match both key sets steer this side's
// station, so its one column names both keys).
text_table key_table(bool over_match);
// What a pad does, while one is connected; empty otherwise.
std::vector<std::string> pad_key_lines();
// In free space: the table in the lower right (over a match, right of the pause menu), the pad's lines
// in the lower left.
void draw_key_list(bool over_match, int W);
