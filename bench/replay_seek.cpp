// A jump back in a watched recording: the board is run again from the match's start to the moment
// jumped to, with no drawing. Ten seconds back from the end of the committed busy two-minute match; a
// ten-minute match is about five times as much (a longer recording made of this one repeated would not
// do: its stations' hulls run out in the second copy and the rest costs next to nothing).
#include <benchmark/benchmark.h>

#include <time.h>

#include <chrono>

#include "busy_recording.h"
#include "game/replay/replay_file.h"
#include "game/replay/replay_playback.h"
#include "game/sim/global.h"

namespace {

constexpr std::uint64_t TEN_SECONDS = 1000;

// This thread's CPU time: on a busy machine the wall time of a jump says more of the neighbours.
double cpu_now() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

void BM_SeekBack(benchmark::State& state) {
    match_recording recording;
    if (!busy_recording(recording)) {
        state.SkipWithError("the busy two-player recording cannot be read");
        return;
    }
    CPlayback playback(recording);
    std::uint64_t in_play = 0;
    while (playback.next())
        in_play += global::game_state == global::ON ? 1 : 0;
    double cpu = 0;
    for (auto _ : state) {
        playback.seek(recording.steps);
        const auto start = std::chrono::steady_clock::now();
        const double cpu_start = cpu_now();
        playback.seek(recording.steps - TEN_SECONDS);
        cpu += cpu_now() - cpu_start;
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["cpu_ms"] = 1e3 * cpu / static_cast<double>(state.iterations());
    state.counters["steps_run"] = static_cast<double>(recording.steps - TEN_SECONDS);
    state.counters["share_in_play"] = static_cast<double>(in_play) / static_cast<double>(recording.steps);
}

}  // namespace

BENCHMARK(BM_SeekBack)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);

BENCHMARK_MAIN();
