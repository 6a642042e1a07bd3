#include <cmath>

#include "game/sim/events.h"
#include "game/sim/global.h"
#include "game/sim/rules.h"
#include "general/board_math.h"
#include "general/texture_names.h"

namespace global {

CStation::CStation(CParticle* par, CParticle* pla) : particle(par), planet(pla) {
    reset();
}

void CStation::reset() {
    aim = 0;
    loading = false;
    loaded = 0;
    cw = false;
    ccw = false;
    shields = FULL_SHIELDS;
    rockets = FULL_MISSILES;
    flares = FULL_FLARES;
}

void CStation::update() {
    if (cw)
        aim = aim - AIM_STEP;
    if (ccw)
        aim = aim + AIM_STEP;
    float theta = particle->ang_pos + 3.1415f;
    particle->pos.x = planet->pos.x + ORBIT_RADIUS * board_math::sin(theta);
    particle->pos.y = planet->pos.y - ORBIT_RADIUS * board_math::cos(theta);
    double k = std::trunc(static_cast<double>(aim) / 6.2831);
    aim = static_cast<float>(aim - k * 6.2831);
    if (loading)
        loaded = loaded + CHARGE_STEP;
    if (loaded >= FULL_CHARGE) {
        shoot_rocket(texture_id("missile"));
        loaded = 0;
        loading = false;
    }
}

// The fired particle joins `particles`; the logic step or restart deletes it.
static CParticle* launch(CParticle* from, int tex, float* col, CVector vel) {
    CParticle* p = new CParticle(from->pos.x, from->pos.y, 0.2f);
    p->set_gfx(tex, col, ALPHA);
    p->vel = vel;
    p->ang_from_dir = true;
    return p;
}

void CStation::shoot_rocket(int tex) {
    static float grey[4] = {0.7f, 0.7f, 0.7f, 1};
    if (rockets <= 0)
        return;
    CVector dir(board_math::sin(aim), -board_math::cos(aim));
    CParticle* p = launch(particle, tex, grey, dir * ((loaded + 1) / MISSILE_SPEED_DIVISOR));
    p->type = ROCKET;
    rockets = rockets - 1;
    record_event(EVENT_MISSILE_FIRED, particle->pos, loaded);
}

void CStation::shoot_flare(int tex) {
    static float red[4] = {0.7f, 0.2f, 0.2f, 1};
    CVector dir(board_math::sin(aim), -board_math::cos(aim));
    CParticle* p = launch(particle, tex, red, dir / FLARE_SPEED_DIVISOR);
    p->type = FLARE;
    flares = flares - 1;
    record_event(EVENT_FLARE_THROWN, particle->pos);
}

}  // namespace global
