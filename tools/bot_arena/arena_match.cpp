#include "arena_match.h"

#include <optional>

#include "game/opponent/gunner.h"
#include "game/run/run.h"
#include "game/sim/classic_computer.h"
#include "game/sim/events.h"
#include "game/sim/global.h"
#include "game/sim/logic.h"
#include "game/sim/match_clock.h"
#include "game/sim/opponent_kind.h"
#include "newcomer.h"

arena_result play_arena_match(const arena_options& options, std::uint32_t seed) {
    using namespace global;
    restart();
    players = SINGLE;
    // The logic step drives a classic red by itself; anyone else on red is driven from here.
    opponent = options.red.kind == ARENA_CLASSIC ? CLASSIC_OPPONENT : GUNNER_OPPONENT;
    difficulty = options.red.kind == ARENA_CLASSIC ? options.red.level : options.blue.level;
    game_state = ON;
    menu_state = NONE;
    match_clock::begin(seed);
    std::optional<CGunner> gunners[2];
    std::optional<CNewcomer> newcomers[2];
    const arena_player sides[2] = {options.blue, options.red};
    for (int s = 0; s < 2; ++s) {
        if (sides[s].kind == ARENA_GUNNER)
            gunners[s].emplace(static_cast<station_side>(s), sides[s].level, seed);
        if (sides[s].kind == ARENA_NEWCOMER)
            newcomers[s].emplace(static_cast<station_side>(s), seed);
    }
    arena_result r{-1, 0, {}};
    events.clear();
    while (game_state == ON && r.steps < options.max_steps) {
        for (int s = 0; s < 2; ++s) {
            if (gunners[s])
                gunners[s]->think(submit_station_command);
            if (newcomers[s])
                newcomers[s]->think(submit_station_command);
        }
        program_logic();
        match_clock::count_step();
        ++r.steps;
        if (options.blue.kind == ARENA_CLASSIC && game_state == ON) {
            // The classic table reads the difficulty: blue's own for its turn.
            const int kept = difficulty;
            difficulty = options.blue.level;
            classic_computer(station1, BLUE_STATION);
            difficulty = kept;
        }
        r.tally.after_step();
        events.clear();
    }
    // The step after the fatal blast ends the match.
    program_logic();
    const bool blue_gone = station1->shields <= 0;
    const bool red_gone = station2->shields <= 0;
    if (blue_gone != red_gone)
        r.winner = blue_gone ? 1 : 0;
    restart();
    return r;
}
