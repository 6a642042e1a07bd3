// What going back costs a network match that rolls back, at the busiest board the committed busy
// recording reaches (the most particles, trails included): keeping the board before a step, and
// bringing one back and running the steps since again.
#include <benchmark/benchmark.h>

#include <optional>

#include "busiest_board.h"
#include "game/netplay/netplay.h"
#include "game/sim/board_ring.h"
#include "game/sim/events.h"
#include "game/sim/global.h"
#include "game/sim/logic.h"
#include "game/sim/match_clock.h"

namespace {

constexpr int RUN_AGAIN = 12;  // the deepest rollback a 150 ms round trip should need
constexpr std::size_t RING = CNetSession::ROLLBACK_REACH + 1;  // as a network match keeps them

// The busiest board on the live one; false, the benchmark skipped, without it.
bool at_busiest_board(benchmark::State& state) {
    static const std::optional<CBoardSnapshot> board =
        busiest_recorded_board([] { return static_cast<long>(particles.size()); });
    if (!board) {
        state.SkipWithError("no busy recording");
        return false;
    }
    board->restore();
    return true;
}

void finish(benchmark::State& state) {
    state.counters["particles"] = static_cast<double>(particles.size());
    restart();
}

void one_step() {
    program_logic();
    match_clock::count_step();
    global::events.clear();
}

// A ring as the game keeps one, saving the board before every step; only the saves are timed.
void BM_SaveBoard(benchmark::State& state) {
    if (!at_busiest_board(state))
        return;
    CBoardRing ring(RING);
    std::uint32_t step = 0;
    for (auto _ : state)
        ring.save(step++);
    finish(state);
}
BENCHMARK(BM_SaveBoard)->Unit(benchmark::kMicrosecond);

// Back to the busiest board and 12 steps on again, saving before each as a replay does.
void BM_RestoreAndRunAgain(benchmark::State& state) {
    if (!at_busiest_board(state))
        return;
    CBoardRing ring(RING);
    ring.save(0);
    for (auto _ : state) {
        ring.restore(0);
        for (std::uint32_t s = 1; s <= RUN_AGAIN; ++s) {
            one_step();
            ring.save(s);
        }
    }
    finish(state);
}
BENCHMARK(BM_RestoreAndRunAgain)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
