// A jump back in a watched recording: the board is restored from the last keyframe before the moment
// jumped to and run on from there, with no drawing. About ten seconds back from the end of the committed
// busy two-minute match, to the step before a keyframe, the most a jump runs again. The length of the
// match does not count: a jump in a ten-minute match runs as many steps.
#include <benchmark/benchmark.h>

#include <time.h>

#include <chrono>

#include "game/replay/replay_file.h"
#include "game/replay/replay_playback.h"
#include "game/sim/board.h"

namespace {

constexpr std::uint64_t TEN_SECONDS = 1000;

// This thread's CPU time: on a busy machine the wall time of a jump says more of the neighbours.
double cpu_now() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

bool busy_recording(match_recording& out) {
    static bool built = false;
    if (!built) {
        build_board_without_window();
        built = true;
    }
    return load_recording(ZELVORANT_REPLAY_DIR "/two_players_busy.zvr", out);
}

void BM_SeekBack(benchmark::State& state) {
    match_recording recording;
    if (!busy_recording(recording)) {
        state.SkipWithError("the busy two-player recording cannot be read");
        return;
    }
    CPlayback playback(recording);
    while (playback.next()) {
    }
    const std::uint64_t interval = CPlayback::KEYFRAME_INTERVAL;
    const std::uint64_t to = (recording.steps - TEN_SECONDS) / interval * interval - 1;
    double cpu = 0;
    for (auto _ : state) {
        playback.seek(recording.steps);
        const auto start = std::chrono::steady_clock::now();
        const double cpu_start = cpu_now();
        playback.seek(to);
        cpu += cpu_now() - cpu_start;
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["cpu_ms"] = 1e3 * cpu / static_cast<double>(state.iterations());
    state.counters["steps_run"] = static_cast<double>(interval - 1);
    state.counters["keyframe_kb"] = static_cast<double>(playback.keyframe_bytes()) / 1024.0 /
                                    static_cast<double>(recording.steps / interval + 1);
}

}  // namespace

BENCHMARK(BM_SeekBack)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);

BENCHMARK_MAIN();
