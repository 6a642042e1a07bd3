#pragma once

#include <string>

#include "game/sim/station_input.h"

// Records every match the players play: from the first step on a fresh board until the match ends or is
// left, written to a file of its own (see replay_file.h). Nothing is recorded until start() is called.
namespace match_recorder {

constexpr int KEEP_RECORDINGS = 50;

// From now on matches are written to `folder`, created when missing, which keeps the newest `keep` of them.
void start(const std::string& folder, int keep = KEEP_RECORDINGS);
// Stops recording and forgets an open match without writing it.
void stop();

// A command about to take effect: opens a match when play begins on a fresh board, and stores it.
void record(const board_command& command);
// Around each logic step of a recorded game: before it, opens a match when play begins on a fresh board;
// after it, counts the step and writes the match once it has ended. A step that is not `final` (run
// ahead of a network match's other side) may be taken back: a match it ended waits for settle().
void before_step();
void after_step(bool final = true);
// Every step run so far is final: a match they ended is written.
void settle();
// The board went back to an earlier step (its clock with it): what was recorded from there on goes.
void rewind();
// A network match ended where the other side's board may not have: the open match is written as it
// stood after `step` steps, where both boards had the state hash `hash` (not at all for 0).
void end_at(std::uint64_t step, std::uint64_t hash);
// The board is about to be cleared: an open match that has run a step is written as it stands, and the
// board is fresh for the next one.
void board_reset();
// The program is ending: an open match that has run a step is written.
void finish();

// The file the last match went to, empty before the first.
const std::string& last_file();

}  // namespace match_recorder
