#include "game/sim/board_snapshot.h"

#include "game/sim/board_owned.h"
#include "game/sim/opponent_kind.h"

CBoardSnapshot CBoardSnapshot::take(contents what) {
    CBoardSnapshot s;
    s.take_again(what);
    return s;
}

void CBoardSnapshot::take_again(contents what) {
    using namespace global;
    bodies.clear();
    bodies.reserve(particles.size());
    for (CParticle* p : particles) {
        const bool owned = board_owned(*p);
        if (what == WITHOUT_DECORATIONS && (p->type == TRACE || p->type == SIGN))
            continue;
        bodies.push_back({owned ? nullptr : p, *p});
    }
    stations.clear();
    if (station1 != nullptr && station2 != nullptr)
        stations = {*station1, *station2};
    counter = global::counter;
    noise_counter = noise.counter;
    game_state = global::game_state;
    players = global::players;
    difficulty = global::difficulty;
    opponent = global::opponent;
    clock = match_clock::save();
}

void CBoardSnapshot::restore() const {
    delete_board_owned();
    particles.clear();
    for (const body& b : bodies) {
        if (b.fixed != nullptr) {
            particles.push_back(b.fixed);
        } else {
            // The constructor appends the new particle; the saved value then replaces every field.
            CParticle* p = new CParticle(0, 0, 0);
            *p = b.value;
        }
    }
    restore_values();
}

void CBoardSnapshot::restore_values() const {
    using namespace global;
    for (const body& b : bodies)
        if (b.fixed != nullptr)
            *b.fixed = b.value;
    if (stations.size() == 2) {
        *station1 = stations[0];
        *station2 = stations[1];
    }
    global::counter = counter;
    noise.counter = noise_counter;
    global::game_state = game_state;
    global::players = players;
    global::difficulty = difficulty;
    global::opponent = opponent;
    match_clock::restore(clock);
}
