#pragma once

#include <string>

// Records every match the players play: from the first step on a fresh board until the match ends or is
// left, written to a file of its own (see replay_file.h). Nothing is recorded until start() is called.
namespace match_recorder {

constexpr int KEEP_RECORDINGS = 50;

// From now on matches are written to `folder`, created when missing, which keeps the newest `keep` of them.
void start(const std::string& folder, int keep = KEEP_RECORDINGS);
// Stops recording and forgets an open match without writing it.
void stop();

// The logic step of a recorded game: opens a match when play begins on a fresh board, runs the step,
// counts it, and writes the match once it has ended. Returns what program_logic returns.
bool step();
// Runs in step() once the match is open and before the board moves: a computer player presses its keys
// there, so that they are recorded with the step they precede. nullptr for none.
void set_before_step(void (*hook)());
// The board is about to be cleared: an open match that has run a step is written as it stands, and the
// board is fresh for the next one.
void board_reset();
// The program is ending: an open match that has run a step is written.
void finish();

// The file the last match went to, empty before the first.
const std::string& last_file();

}  // namespace match_recorder
