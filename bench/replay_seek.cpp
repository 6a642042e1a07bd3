// A jump back in a watched recording: the board is run again from the match's start to the moment
// jumped to, with no drawing. Ten seconds back from the end of the committed busy two-minute match, and
// of a ten-minute one made of it five times over (its commands again every two minutes).
#include <benchmark/benchmark.h>

#include <chrono>

#include "game/replay/replay_file.h"
#include "game/replay/replay_playback.h"
#include "game/sim/board.h"
#include "game/sim/global.h"

namespace {

constexpr std::uint64_t TEN_SECONDS = 1000;

bool busy_recording(match_recording& out) {
    static bool built = false;
    if (!built) {
        build_board_without_window();
        built = true;
    }
    return load_recording(ZELVORANT_REPLAY_DIR "/two_players_busy.zvr", out);
}

match_recording repeated(const match_recording& once, int times) {
    match_recording r = once;
    r.commands.clear();
    for (int k = 0; k < times; ++k)
        for (recorded_command c : once.commands) {
            c.step += k * once.steps;
            r.commands.push_back(c);
        }
    r.steps = once.steps * times;
    // Only the first checkpoint is the repeated match's own.
    r.checkpoints.resize(1);
    return r;
}

void BM_SeekBack(benchmark::State& state) {
    match_recording once;
    if (!busy_recording(once)) {
        state.SkipWithError("the busy two-player recording cannot be read");
        return;
    }
    const match_recording recording = repeated(once, static_cast<int>(state.range(0)));
    CPlayback playback(recording);
    std::uint64_t in_play = 0;
    while (playback.next())
        in_play += global::game_state == global::ON ? 1 : 0;
    for (auto _ : state) {
        playback.seek(recording.steps);
        const auto start = std::chrono::steady_clock::now();
        playback.seek(recording.steps - TEN_SECONDS);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["steps_run"] = static_cast<double>(recording.steps - TEN_SECONDS);
    state.counters["share_in_play"] = static_cast<double>(in_play) / static_cast<double>(recording.steps);
}

}  // namespace

BENCHMARK(BM_SeekBack)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);

BENCHMARK_MAIN();
