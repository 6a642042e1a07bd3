#include "arena_series.h"

#include "arena_match.h"
#include "game/sim/board.h"

namespace {

void add(side_tally& sum, const side_tally& one) {
    sum.shots += one.shots;
    sum.hits += one.hits;
    sum.self_hits += one.self_hits;
    sum.flares += one.flares;
    sum.intercepts += one.intercepts;
    sum.hits_taken_with_flares += one.hits_taken_with_flares;
}

}  // namespace

arena_totals play_arena_series(const arena_options& options) {
    // No window: the pictures the step names are known, none is loaded.
    build_board_without_window();
    arena_totals t;
    for (int i = 0; i < options.matches; ++i) {
        const arena_result r = play_arena_match(options, options.seed + static_cast<std::uint32_t>(i));
        t.steps += r.steps;
        for (int s = 0; s < 2; ++s) {
            arena_side_totals& side = t.sides[s];
            side.wins += r.winner == s;
            side.losses += r.winner == 1 - s;
            side.draws += r.winner < 0;
            add(side.sum, r.tally.sides[s]);
        }
    }
    return t;
}
