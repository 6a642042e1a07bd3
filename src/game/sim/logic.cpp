#include "game/sim/logic.h"

#include <vector>

#include "game/sim/classic_computer.h"
#include "game/sim/events.h"
#include "game/sim/global.h"
#include "game/sim/opponent_kind.h"
#include "game/sim/rules.h"
#include "general/texture_names.h"

namespace {

using namespace global;

float distance(CVector a, CVector b) {
    return CVector(a, b).len();
}

void explode_at(CVector where) {
    // set_gfx copies the colour, so one array serves every explosion.
    static float light[4] = {1, 1, 1, 1};
    CParticle* e = new CParticle(where.x, where.y, 0.8f);
    e->set_gfx(texture_id("explosion"), light, ADD);
    e->type = EXP;
    e->set_anim(1, EXPLOSION_FRAMES, EXPLOSION_FRAME_STEPS);
}

// The missiles on the board during the particle traversal, in list order. No missile is fired while
// it runs, so flares and blasts search this short list instead of walking every trail dot.
struct missile_entry {
    CParticleList::iterator where;
    bool live;
    int flying;  // its place in `flying` once it has moved this step, else -1
};
std::vector<missile_entry> missiles;

// The missiles and flares that have moved this step, in list order: each lays a trail dot after the
// traversal, so that walk needs no second pass over the whole list. A blast empties a missile's place.
std::vector<CParticle*> flying;
std::size_t next_missile = 0;  // the traversal meets the missiles in the order of `missiles`

void collect_missiles() {
    missiles.clear();
    flying.clear();
    next_missile = 0;
    for (auto j = particles.begin(); j != particles.end(); ++j)
        if ((*j)->type == ROCKET)
            missiles.push_back({j, true, -1});
}

// The particle under the traversal's cursor has moved and stays on the board.
void now_flying(CParticle* p) {
    if (p->type == ROCKET) {
        // Entries passed over belong to missiles a blast took down before the traversal got to them.
        while (next_missile < missiles.size() &&
               !(missiles[next_missile].live && missiles[next_missile].where == it))
            ++next_missile;
        if (next_missile < missiles.size())
            missiles[next_missile].flying = static_cast<int>(flying.size());
    }
    flying.push_back(p);
}

void forget_missile(CParticle* p) {
    for (missile_entry& m : missiles)
        if (m.live && *m.where == p)
            m.live = false;
}

// Removes the current element of the traversal and leaves `it` on the one that followed it.
void retire_current() {
    if ((*it)->type == ROCKET)
        forget_missile(*it);
    delete *it;
    it = particles.erase(it);
}

// First step of a blast: missiles within reach are destroyed outright, stations within reach are hit.
void blast(CParticle* e) {
    for (missile_entry& m : missiles) {
        // `e` is an explosion, never a missile, so the outer cursor's element is never erased here.
        if (m.live && distance(e->pos, (*m.where)->pos) < BLAST_REACH) {
            if (m.flying >= 0)
                flying[m.flying] = nullptr;
            delete *m.where;
            particles.erase(m.where);
            m.live = false;
        }
    }
    bool hit = false;
    for (CStation* s : {station1, station2}) {
        if (distance(e->pos, s->particle->pos) < BLAST_REACH) {
            CParticle* label = new CParticle(s->particle->pos.x, s->particle->pos.y, 0.8f);
            label->type = SIGN;
            s->shields -= HIT_DAMAGE;
            record_event(EVENT_STATION_HIT, s->particle->pos);
            hit = true;
        }
    }
    record_event(EVENT_EXPLOSION, e->pos, hit ? 1.0f : 0.0f);
}

// True when the explosion is over and must be removed.
bool explosion_step(CParticle* e) {
    int life = (e->gfx.frames_h * e->gfx.frames_v - 1) * e->gfx.anim_speed;
    if (e->counter >= life)
        return true;
    if (e->counter == 0)
        blast(e);
    e->counter += 1;
    return false;
}

CVector pull_towards(CVector to_planet) {
    float d2 = to_planet * to_planet;
    // A body exactly at a planet's centre feels no pull rather than an infinite one.
    if (d2 <= 0)
        return CVector(0, 0);
    return to_planet * (PULL / d2);
}

bool catches_missile(CParticle* flare) {
    for (const missile_entry& m : missiles)
        if (m.live && distance(flare->pos, (*m.where)->pos) < FLARE_REACH)
            return true;
    return false;
}

// True when the missile or flare must be removed.
bool projectile_step(CParticle* p) {
    if (p->counter < ARMING_STEPS)
        p->counter += 1;
    CVector a(p->pos, planet1.pos);
    CVector b(p->pos, planet2.pos);
    p->vel = p->vel + pull_towards(a) + pull_towards(b);
    bool near_planet = a.len() < PLANET_REACH || b.len() < PLANET_REACH;
    if (p->type == ROCKET) {
        bool near_station = distance(p->pos, station1->particle->pos) < STATION_REACH ||
                            distance(p->pos, station2->particle->pos) < STATION_REACH;
        if (p->counter == ARMING_STEPS && (near_planet || near_station)) {
            explode_at(p->pos);
            return true;
        }
        return false;
    }
    if (near_planet)
        return true;
    // The caught missile stays: the new explosion, reached later in this traversal, destroys it.
    if (catches_missile(p)) {
        explode_at(p->pos);
        return true;
    }
    return false;
}

void step_particles() {
    collect_missiles();
    it = particles.begin();
    while (it != particles.end()) {
        CParticle* p = *it;
        bool removed = false;
        switch (p->type) {
            case TRACE:
                p->gfx.colour[3] = 0.5f - p->counter / 400.0f;
                p->counter += 1;
                removed = p->counter >= TRAIL_LIFETIME;
                break;
            case EXP:
                removed = explosion_step(p);
                break;
            case SIGN:
                if (p->counter >= HIT_LABEL_LIFETIME) {
                    removed = true;
                } else {
                    p->pos.y += HIT_LABEL_RISE;
                    p->counter += 1;
                }
                break;
            case ROCKET:
            case FLARE:
                removed = projectile_step(p);
                break;
            default:
                break;
        }
        if (removed) {
            retire_current();
        } else {
            p->update();
            if (p->type == ROCKET || p->type == FLARE)
                now_flying(p);
            ++it;
        }
    }
    missiles.clear();
}

void lay_trails() {
    static float missile_tint[4] = {0.6f, 0.8f, 1.0f, 1};
    static float flare_tint[4] = {1.0f, 0.7f, 0.7f, 1};
    for (CParticle* p : flying) {
        if (p == nullptr)
            continue;
        CParticle* dot = new CParticle(p->pos.x, p->pos.y, 0.07f);
        bool missile = p->type == ROCKET;
        dot->set_gfx(texture_id("particle"), missile ? missile_tint : flare_tint, ALPHA);
        dot->type = TRACE;
        dot->counter = missile ? 0 : FLARE_TRAIL_START;
    }
    flying.clear();
}

void refill(CStation* s) {
    if (counter % MISSILE_REFILL_PERIOD == 0 && s->rockets < FULL_MISSILES) {
        s->rockets += 1;
        record_event(EVENT_MISSILE_REFILLED, s->particle->pos);
    }
    if (counter % FLARE_REFILL_PERIOD == 0 && s->flares < FULL_FLARES) {
        s->flares += 1;
        record_event(EVENT_FLARE_REFILLED, s->particle->pos);
    }
}

}  // namespace

bool program_logic() {
    bool stations = station1 != nullptr && station2 != nullptr;
    if (stations && (station1->shields <= 0 || station2->shields <= 0)) {
        if (game_state == ON)
            record_event(station1->shields <= 0 && station2->shields <= 0 ? EVENT_MATCH_DRAWN
                                                                          : EVENT_MATCH_WON);
        game_state = ENDED;
    }
    if (game_state == ON && stations) {
        station1->update();
        station2->update();
        step_particles();
        lay_trails();
        if (players == SINGLE && opponent == CLASSIC_OPPONENT)
            classic_computer(station2, RED_STATION);
        counter = (counter + 1) % CLOCK_PERIOD;
        int noise_period = 3 * noise.anim_speed;
        noise.counter = noise_period > 0 ? (noise.counter + 1) % noise_period : 0;
        refill(station1);
        refill(station2);
    }
    return game_state == CLOSING;
}
