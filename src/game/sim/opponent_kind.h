#pragma once

namespace global {

// Who drives the red station in single-player play. The first is the computer the difficulty buttons
// have always started; the second plans its shots by trying them on the board.
enum opponent_kind { CLASSIC_OPPONENT = 0, GUNNER_OPPONENT = 1 };
constexpr int OPPONENT_KINDS = GUNNER_OPPONENT + 1;

// One of opponent_kind; part of the board, since the logic step runs the classic computer only.
extern int opponent;

}  // namespace global
