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
    // Assigned over the bodies already held, each particle's outline keeps its storage: copying into
    // fresh ones would allocate once per particle.
    std::size_t n = 0;
    for (CParticle* p : particles) {
        if (what == WITHOUT_DECORATIONS && (p->type == TRACE || p->type == SIGN))
            continue;
        CParticle* fixed = board_owned(*p) ? nullptr : p;
        if (n < bodies.size()) {
            bodies[n].fixed = fixed;
            bodies[n].value = *p;
        } else {
            bodies.push_back({fixed, *p});
        }
        ++n;
    }
    bodies.erase(bodies.begin() + static_cast<std::ptrdiff_t>(n), bodies.end());
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
    tally = global::tally;
}

void CBoardSnapshot::restore() const {
    // The board's own particles are given the saved values in turn, so that going back a few steps
    // allocates little; only the surplus is deleted or made.
    std::vector<CParticle*> spare;
    for (CParticle* p : particles)
        if (board_owned(*p))
            spare.push_back(p);
    particles.clear();
    std::size_t used = 0;
    for (const body& b : bodies) {
        if (b.fixed != nullptr) {
            particles.push_back(b.fixed);
        } else if (used < spare.size()) {
            *spare[used] = b.value;
            particles.push_back(spare[used++]);
        } else {
            // The constructor appends the new particle; the saved value then replaces every field.
            CParticle* p = new CParticle(0, 0, 0);
            *p = b.value;
        }
    }
    for (std::size_t i = used; i < spare.size(); ++i)
        delete spare[i];
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
    global::tally = tally;
}
