#include "game/sim/presentation.h"

#include "game/sim/global.h"
#include "game/sim/rules.h"
#include "general/texture_names.h"

namespace {

constexpr int STEPS = 201;
constexpr int FLARE_STEP = 150;
constexpr int SECOND_MISSILE_STEP = 100;

// Pull of both planets, PULL divided by the distance to each.
void pull(CParticle* body) {
    CVector veca(global::planet1.pos.x - body->pos.x, global::planet1.pos.y - body->pos.y);
    CVector vecb(global::planet2.pos.x - body->pos.x, global::planet2.pos.y - body->pos.y);
    const float asq = veca.len() * veca.len();
    const float bsq = vecb.len() * vecb.len();
    body->vel.x += (PULL / asq) * veca.x + (PULL / bsq) * vecb.x;
    body->vel.y += (PULL / asq) * veca.y + (PULL / bsq) * vecb.y;
}

void move_bodies() {
    using namespace global;
    for (it = particles.begin(); it != particles.end();) {
        CParticle* body = *it;
        if (body->type == TRACE) {
            body->update();
            body->gfx.colour[3] = 0.5f - body->counter / 400.0f;
            body->counter += 1;
            if (body->counter >= TRAIL_LIFETIME) {
                delete body;
                it = particles.erase(it);
                continue;
            }
        } else if (body->type == ROCKET || body->type == FLARE) {
            body->update();
            if (body->counter < ARMING_STEPS)
                body->counter += 1;
            pull(body);
        }
        ++it;
    }
}

void leave_trails() {
    using namespace global;
    // set_gfx copies the colour, so one array each serves every trail dot.
    static float missile_trail[4] = {0.6f, 0.8f, 1, 1};
    static float flare_trail[4] = {1, 0.7f, 0.7f, 1};
    const int dot = texture_id("particle");
    for (it = particles.begin(); it != particles.end(); ++it) {
        CParticle* body = *it;
        if (body->type != ROCKET && body->type != FLARE)
            continue;
        CParticle* trace = new CParticle(body->pos.x, body->pos.y, 0.07f);
        if (body->type == ROCKET) {
            trace->set_gfx(dot, missile_trail, ALPHA);
        } else {
            trace->set_gfx(dot, flare_trail, ALPHA);
            trace->counter = FLARE_TRAIL_START;
        }
        trace->type = TRACE;
    }
}

}  // namespace

void presentation() {
    using namespace global;
    if (station1 == nullptr || station2 == nullptr)
        return;

    restart();
    camera[0] = 2;
    camera[1] = 1;
    camera[2] = -12;

    station1->particle->ang_pos = 2.1f;
    station1->update();
    station2->update();
    station1->loaded = 0.8f;
    station1->aim = 1.2f;
    station2->aim = -1.4f;
    const int missile = texture_id("missile");
    station1->shoot_rocket(missile);
    station1->particle->ang_pos = 2.3f;
    station1->update();

    for (int i = 0; i < STEPS; ++i) {
        if (i == FLARE_STEP)
            station2->shoot_flare(missile);
        if (i == SECOND_MISSILE_STEP)
            station1->shoot_rocket(missile);
        move_bodies();
        leave_trails();
    }

    station1->particle->ang_pos = 2.5f;
    station1->loaded = 1.0f;
    station1->update();
}
