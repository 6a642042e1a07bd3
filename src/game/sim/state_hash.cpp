#include "game/sim/state_hash.h"

#include "game/sim/global.h"
#include "game/sim/match_clock.h"
#include "game/sim/opponent_kind.h"
#include "general/hash64.h"

namespace {

void add_vector(CHash64& h, const CVector& v) {
    h.add(v.x);
    h.add(v.y);
}

void add_particle(CHash64& h, const CParticle& p) {
    h.add(p.type);
    add_vector(h, p.pos);
    add_vector(h, p.vel);
    h.add(p.ang_pos);
    h.add(p.ang_vel);
    h.add(p.ang_from_dir);
    h.add(p.counter);
    h.add(p.gfx.animation);
    h.add(p.gfx.frames_h);
    h.add(p.gfx.frames_v);
    h.add(p.gfx.anim_speed);
    h.add(p.gfx.blend);
    for (float c : p.gfx.colour)
        h.add(c);
}

void add_station(CHash64& h, const global::CStation* s) {
    h.add(s != nullptr);
    if (s == nullptr)
        return;
    // The station's body is one of the particles and is hashed with them.
    h.add(s->aim);
    h.add(s->loading);
    h.add(s->loaded);
    h.add(s->cw);
    h.add(s->ccw);
    h.add(s->shields);
    h.add(s->rockets);
    h.add(s->flares);
}

void add_board(CHash64& h) {
    h.add(static_cast<std::uint64_t>(particles.size()));
    for (const CParticle* p : particles)
        add_particle(h, *p);
    add_station(h, global::station1);
    add_station(h, global::station2);
    h.add(global::counter);
    h.add(global::noise.counter);
    h.add(global::game_state);
    h.add(global::players);
    h.add(global::difficulty);
    // Only in single-player play against another than the classic computer, so that boards from before
    // the choice keep their hashes and two-player boards never depend on it.
    if (global::players == global::SINGLE && global::opponent != global::CLASSIC_OPPONENT)
        h.add(global::opponent);
}

}  // namespace

std::uint64_t board_hash() {
    CHash64 h;
    add_board(h);
    return h.result();
}

std::uint64_t state_hash() {
    CHash64 h;
    add_board(h);
    h.add(match_clock::step());
    h.add(match_clock::seed());
    h.add(match_clock::rolls());
    return h.result();
}
