#include "game/opponent/trial_flight.h"

#include "game/sim/global.h"
#include "game/sim/rules.h"
#include "game/sim/trial_board.h"

namespace {

float distance(CVector a, CVector b) {
    return CVector(a, b).len();
}

}  // namespace

bool still_on_board(const void* p) {
    for (const CParticle* q : particles)
        if (q == p)
            return true;
    return false;
}

flight_outcome fly_trial_shot(station_side side, int max_steps, std::vector<CVector>* path) {
    global::CStation* own = side == BLUE_STATION ? global::station1 : global::station2;
    global::CStation* other = side == BLUE_STATION ? global::station2 : global::station1;
    flight_outcome out{false, false, false, false, 1e9f, 0};
    const std::size_t before = particles.size();
    apply_station_command(side, CMD_RELEASE);
    if (particles.size() == before || particles.back()->type != global::ROCKET)
        return out;
    out.fired = true;
    const CParticle* missile = particles.back();
    CVector last = missile->pos;
    while (out.steps < max_steps && global::game_state == global::ON) {
        const int own_shields = own->shields;
        const int other_shields = other->shields;
        trial_step();
        ++out.steps;
        if (!still_on_board(missile)) {
            out.ended = true;
            // Its own blast, where it went off: a station losing shields elsewhere on that step was hit by
            // something else.
            const float reach = STATION_REACH + BLAST_REACH;
            out.hit = other->shields < other_shields && distance(last, other->particle->pos) < reach;
            out.self_hit = own->shields < own_shields && distance(last, own->particle->pos) < reach;
            break;
        }
        last = missile->pos;
        if (path != nullptr)
            path->push_back(last);
        const float d = distance(last, other->particle->pos);
        if (d < out.closest)
            out.closest = d;
    }
    return out;
}
