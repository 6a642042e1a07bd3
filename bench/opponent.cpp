// What the gunner's thinking costs per logic step, on the busiest board the committed busy recording
// reaches: its trials run there, with every missile and flare of that moment in flight.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <optional>

#include "busiest_board.h"
#include "game/opponent/gunner.h"
#include "game/run/run.h"
#include "game/sim/board_snapshot.h"
#include "game/sim/events.h"
#include "game/sim/global.h"
#include "game/sim/logic.h"
#include "game/sim/match_clock.h"
#include "game/sim/opponent_kind.h"

namespace {

// This thread's processor time: the machine is shared, and other programs' turns are not the gunner's.
double thread_seconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The busy recording at the step where the board holds the most missiles and flares.
std::optional<CBoardSnapshot> busiest_board() {
    static const std::optional<CBoardSnapshot> board = busiest_recorded_board([] {
        return static_cast<long>(std::count_if(particles.begin(), particles.end(), [](const CParticle* p) {
            return p->type == global::ROCKET || p->type == global::FLARE;
        }));
    });
    return board;
}

// One gunner on red thinking before every step, from the busiest board, for 600 steps at a time; only
// the thinking is timed, in processor time. Blue does nothing, so the board empties as a match would let it.
void BM_GunnerThinks(benchmark::State& state) {
    const std::optional<CBoardSnapshot> board = busiest_board();
    if (!board) {
        state.SkipWithError("no busy recording");
        return;
    }
    const int level = static_cast<int>(state.range(0));
    std::optional<CGunner> gunner;
    int step = 600;
    double worst = 0, total = 0;
    long particles_seen = 0;
    for (auto _ : state) {
        if (step == 600) {
            board->restore();
            global::players = global::SINGLE;
            global::opponent = global::GUNNER_OPPONENT;
            global::difficulty = level;
            gunner.emplace(RED_STATION, level, 7);
            step = 0;
        }
        particles_seen = std::max<long>(particles_seen, static_cast<long>(particles.size()));
        const double start = thread_seconds();
        gunner->think(submit_station_command);
        const double took = thread_seconds() - start;
        state.SetIterationTime(took);
        worst = std::max(worst, took);
        total += took;
        program_logic();
        match_clock::count_step();
        global::events.clear();
        ++step;
    }
    state.counters["worst_ms"] = worst * 1e3;
    state.counters["mean_ms"] = total * 1e3 / static_cast<double>(state.iterations());
    state.counters["particles"] = static_cast<double>(particles_seen);
    restart();
    global::opponent = global::CLASSIC_OPPONENT;
}
BENCHMARK(BM_GunnerThinks)
    ->ArgName("level")
    ->Arg(global::EASY)
    ->Arg(global::MEDIUM)
    ->Arg(global::HARD)
    ->UseManualTime()
    ->Iterations(3000)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
