#include "busiest_board.h"

#include <string>

#include "game/replay/replay_file.h"
#include "game/replay/replay_playback.h"
#include "game/sim/board.h"
#include "game/sim/events.h"

std::optional<CBoardSnapshot> busiest_recorded_board(const std::function<long()>& busyness) {
    std::optional<CBoardSnapshot> board;
    build_board_without_window();
    match_recording r;
    if (read_recording(std::string(ZELVORANT_REPLAY_DIR) + "/two_players_busy.zvr", r) != RECORDING_OK)
        return board;
    long best = -1;
    {
        CPlayback playback(r);
        while (playback.next()) {
            const long n = busyness();
            if (n > best) {
                best = n;
                board = CBoardSnapshot::take();
            }
        }
    }
    global::events.clear();
    return board;
}
