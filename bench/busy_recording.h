#pragma once

// The committed busy two-minute two-player match, on a board built without a window.
#include "game/replay/replay_file.h"
#include "game/sim/board.h"

inline bool busy_recording(match_recording& out) {
    static bool built = false;
    if (!built) {
        build_board_without_window();
        built = true;
    }
    return load_recording(ZELVORANT_REPLAY_DIR "/two_players_busy.zvr", out);
}
