#include "game/replay/replay_verify.h"

#include <cinttypes>
#include <cstdio>

#include "game/replay/replay_file.h"
#include "game/replay/replay_playback.h"
#include "game/sim/board.h"
#include "game/sim/global.h"

int verify_replay(const std::string& path) {
    match_recording recording;
    if (!load_recording(path, recording))
        return 2;
    build_board_without_window();
    const playback_result result = play_to_end(recording);
    // The board's particles go back before the program ends, as leaving a match gives them back.
    restart();
    std::printf("%016" PRIx64 "\n", result.final_hash);
    if (result.matches && result.first_divergence < 0)
        return 0;
    if (result.first_divergence >= 0)
        std::fprintf(stderr, "zelvorant: %s: the board first differed at the check of step %lld\n",
                     path.c_str(), result.first_divergence);
    else
        std::fprintf(stderr, "zelvorant: %s: the final state differs from the recorded %016" PRIx64 "\n",
                     path.c_str(), recording.final_hash);
    return 1;
}
