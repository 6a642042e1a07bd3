// How a network match fares as junk on the host's port grows: two sessions on 127.0.0.1 at the game's
// pace for a few seconds per rate. Not a cost per call: each run reports what a player would notice
// (the share of the game's pace kept, the longest wait for a step, whether the match survived).
#include <benchmark/benchmark.h>

#include "flooded_match.h"

namespace {

void BM_MatchUnderFlood(benchmark::State& state) {
    for (auto _ : state) {
        const flood_outcome o = flooded_match(static_cast<int>(state.range(0)), 3);
        state.counters["pace_percent"] = 100 * o.pace;
        state.counters["longest_stall_s"] = o.longest_stall;
        state.counters["still_playing"] = o.playing ? 1 : 0;
        state.counters["junk_sent"] = static_cast<double>(o.sent);
    }
}
BENCHMARK(BM_MatchUnderFlood)
    ->Arg(8000)
    ->Arg(16000)
    ->Arg(32000)
    ->Arg(64000)
    ->Arg(128000)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
