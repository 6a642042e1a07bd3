#include "game/sim/board_snapshot.h"

#include "game/sim/board_owned.h"
#include "game/sim/opponent_kind.h"

CBoardSnapshot CBoardSnapshot::take(contents what) {
    using namespace global;
    CBoardSnapshot s;
    s.bodies.reserve(particles.size());
    for (CParticle* p : particles) {
        const bool owned = board_owned(*p);
        if (what == WITHOUT_DECORATIONS && (p->type == TRACE || p->type == SIGN))
            continue;
        s.bodies.push_back({owned ? nullptr : p, *p});
    }
    s.stations[0] = fields_of(station1);
    s.stations[1] = fields_of(station2);
    s.counter = global::counter;
    s.noise_counter = noise.counter;
    s.game_state = global::game_state;
    s.players = global::players;
    s.difficulty = global::difficulty;
    s.opponent = global::opponent;
    s.clock = match_clock::save();
    return s;
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
    put_back(station1, stations[0]);
    put_back(station2, stations[1]);
    global::counter = counter;
    noise.counter = noise_counter;
    global::game_state = game_state;
    global::players = players;
    global::difficulty = difficulty;
    global::opponent = opponent;
    match_clock::restore(clock);
}

CBoardSnapshot::station_fields CBoardSnapshot::fields_of(const global::CStation* s) {
    if (s == nullptr)
        return {};
    return {s->aim, s->loading, s->loaded, s->cw, s->ccw, s->shields, s->rockets, s->flares};
}

void CBoardSnapshot::put_back(global::CStation* s, const station_fields& f) {
    if (s == nullptr)
        return;
    s->aim = f.aim;
    s->loading = f.loading;
    s->loaded = f.loaded;
    s->cw = f.cw;
    s->ccw = f.ccw;
    s->shields = f.shields;
    s->rockets = f.rockets;
    s->flares = f.flares;
}
