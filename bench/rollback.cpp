// What going back costs a network match that rolls back, at the busiest board the committed busy
// recording reaches (the most particles, trails included): keeping the board before a step, and
// bringing one back and running the steps since again.
#include <benchmark/benchmark.h>

#include <optional>

#include "busiest_board.h"
#include "game/sim/board_ring.h"
#include "game/sim/events.h"
#include "game/sim/global.h"
#include "game/sim/logic.h"
#include "game/sim/match_clock.h"

namespace {

constexpr int RUN_AGAIN = 12;  // the deepest rollback a 150 ms round trip should need

const std::optional<CBoardSnapshot>& busiest_board() {
    static const std::optional<CBoardSnapshot> board =
        busiest_recorded_board([] { return static_cast<long>(particles.size()); });
    return board;
}

void one_step() {
    program_logic();
    match_clock::count_step();
    global::events.clear();
}

// A ring as the game keeps one, saving the board before every step; only the saves are timed.
void BM_SaveBoard(benchmark::State& state) {
    const std::optional<CBoardSnapshot>& board = busiest_board();
    if (!board) {
        state.SkipWithError("no busy recording");
        return;
    }
    board->restore();
    CBoardRing ring(21);
    std::uint32_t step = 0;
    for (auto _ : state)
        ring.save(step++);
    state.counters["particles"] = static_cast<double>(particles.size());
    restart();
}
BENCHMARK(BM_SaveBoard)->Unit(benchmark::kMicrosecond);

// Back to the busiest board and 12 steps on again, saving before each as a replay does.
void BM_RestoreAndRunAgain(benchmark::State& state) {
    const std::optional<CBoardSnapshot>& board = busiest_board();
    if (!board) {
        state.SkipWithError("no busy recording");
        return;
    }
    board->restore();
    CBoardRing ring(21);
    ring.save(0);
    for (auto _ : state) {
        ring.restore(0);
        for (std::uint32_t s = 1; s <= RUN_AGAIN; ++s) {
            one_step();
            ring.save(s);
        }
    }
    state.counters["particles"] = static_cast<double>(particles.size());
    restart();
}
BENCHMARK(BM_RestoreAndRunAgain)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
