#include "game/sim/match_start.h"

#include "game/sim/global.h"
#include "game/sim/match_clock.h"
#include "game/sim/opponent_kind.h"

match_start capture_match_start(std::uint32_t seed) {
    match_start start;
    start.players = global::players;
    start.difficulty = global::difficulty;
    // Only single-player play has an opponent: two-player matches are written as they always were.
    start.opponent = global::players == global::SINGLE ? global::opponent : global::CLASSIC_OPPONENT;
    start.seed = seed;
    start.noise_counter = global::noise.counter;
    const global::CStation* stations[2] = {global::station1, global::station2};
    for (int i = 0; i < 2; ++i) {
        start.station_x[i] = stations[i]->particle->pos.x;
        start.station_y[i] = stations[i]->particle->pos.y;
    }
    return start;
}

void restore_match_start(const match_start& start) {
    restart();
    global::players = start.players;
    global::difficulty = start.difficulty;
    global::opponent = start.opponent;
    global::noise.counter = start.noise_counter;
    global::CStation* stations[2] = {global::station1, global::station2};
    for (int i = 0; i < 2; ++i)
        stations[i]->particle->pos = CVector(start.station_x[i], start.station_y[i]);
    global::game_state = global::ON;
    global::menu_state = global::NONE;
    match_clock::begin(start.seed);
}
