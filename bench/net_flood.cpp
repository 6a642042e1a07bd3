// How a network match fares as junk on the host's port grows: two sessions on 127.0.0.1, each run as a
// program at 60 frames a second would run it (a frame drawn in 5 ms, then a rest), for a few seconds per
// rate. Not a cost per call: each run reports what a player would notice (the share of the game's pace
// kept, the longest wait for a step, whether the match survived).
#include <benchmark/benchmark.h>

#include "flooded_match.h"

namespace {

// range(1): 0 for random junk, 1 for junk shaped as the transport's own datagrams; range(2): frames a
// second; range(3): 1 for a program that reads its port while it rests between frames, as the game
// does, 0 for one that sleeps.
void BM_MatchUnderFlood(benchmark::State& state) {
    const flood_shape shape = state.range(1) == 0 ? flood_shape::RANDOM : flood_shape::ENET_SHAPED;
    frame_pacing pacing;
    pacing.frames_per_second = static_cast<int>(state.range(2));
    pacing.draw_seconds = 0.005;
    pacing.reads_while_resting = state.range(3) != 0;
    for (auto _ : state) {
        const flood_outcome o = flooded_match(static_cast<int>(state.range(0)), 6, shape, pacing);
        state.counters["pace_percent"] = 100 * o.pace;
        state.counters["longest_stall_s"] = o.longest_stall;
        state.counters["still_playing"] = o.playing ? 1 : 0;
        state.counters["socket_dropped"] = static_cast<double>(o.dropped);
        state.counters["junk_sent"] = static_cast<double>(o.sent);
    }
}
BENCHMARK(BM_MatchUnderFlood)
    ->ArgsProduct({{8000, 16000, 32000, 64000, 128000}, {0, 1}, {60}, {0, 1}})
    ->ArgNames({"junk_per_s", "shaped", "fps", "reads"})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
