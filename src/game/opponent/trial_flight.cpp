#include "game/opponent/trial_flight.h"

#include "game/global.h"
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
    flight_outcome out{false, false, false, 1e9f, 0};
    const std::size_t before = particles.size();
    apply_station_command(side, CMD_RELEASE);
    if (particles.size() == before || particles.back()->type != global::ROCKET)
        return out;
    out.fired = true;
    const CParticle* missile = particles.back();
    const int own_shields = own->shields;
    const int other_shields = other->shields;
    while (out.steps < max_steps && global::game_state == global::ON) {
        trial_step();
        ++out.steps;
        out.hit = out.hit || other->shields < other_shields;
        out.self_hit = out.self_hit || own->shields < own_shields;
        if (!still_on_board(missile))
            break;
        const CVector at = static_cast<const CParticle*>(missile)->pos;
        if (path != nullptr)
            path->push_back(at);
        const float d = distance(at, other->particle->pos);
        if (d < out.closest)
            out.closest = d;
    }
    return out;
}
