#pragma once

#include <string>

#include "game/render/text_table.h"

class CMatchTally;

// What the result screen tells beyond who won, in the free space around its specified lines: whether
// this side won, when one side is this player's (against the computer, or in a network match), and what
// each side's missiles and flares did.

// "You won", "You lost", "Draw", or empty when both stations are played on this keyboard.
std::string own_result();
// A side a column: shots, hits, accuracy, flares thrown and missiles caught.
text_table result_figures(const CMatchTally& tally);
// "Match length m:ss".
std::string match_length(const CMatchTally& tally);
// Above and below the specified lines, which stand at the window's middle; `lines_below` of them (the
// prompt, and in a network match the series) already lie under the middle one.
void draw_match_result(int W, int H, int lines_below);
