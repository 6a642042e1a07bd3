#include "game/sim/match_tally.h"

#include <cmath>

#include "game/sim/events.h"
#include "game/sim/global.h"

namespace global {
CMatchTally tally;
}  // namespace global

namespace {

float distance(CVector a, CVector b) {
    return CVector(a, b).len();
}

int nearest_station(CVector at) {
    return distance(at, global::station1->particle->pos) <= distance(at, global::station2->particle->pos) ? 0
                                                                                                          : 1;
}

// A particle one step on: it moved by its new velocity, so stepping back lands where it was.
bool same_body(const CParticle* p, CVector was) {
    return std::fabs(p->pos.x - p->vel.x - was.x) < 1e-3f && std::fabs(p->pos.y - p->vel.y - was.y) < 1e-3f;
}

}  // namespace

void CMatchTally::after_step(std::size_t first_event) {
    using namespace global;
    const CStation* stations[2] = {station1, station2};
    bool hit[2] = {false, false};
    stock refilled[2] = {{0, 0}, {0, 0}};
    for (std::size_t i = first_event; i < events.size(); ++i) {
        const game_event& e = events[i];
        if (e.kind == EVENT_STATION_HIT)
            hit[nearest_station(e.where)] = true;
        if (e.kind == EVENT_MISSILE_REFILLED)
            refilled[nearest_station(e.where)].missiles += 1;
        if (e.kind == EVENT_FLARE_REFILLED)
            refilled[nearest_station(e.where)].flares += 1;
    }
    for (int s = 0; s < 2; ++s) {
        sides[s].shots += seen[s].missiles + refilled[s].missiles - stations[s]->rockets;
        sides[s].flares += seen[s].flares + refilled[s].flares - stations[s]->flares;
        seen[s] = {stations[s]->rockets, stations[s]->flares};
    }
    std::vector<tracked> now;
    std::vector<bool> seen_body(flying.size(), false);
    // Bodies keep their order in the list, so the search for the next one starts past those found.
    std::size_t first_unseen = 0;
    for (const CParticle* p : particles) {
        if (p->type != ROCKET && p->type != FLARE)
            continue;
        const bool flare = p->type == FLARE;
        int owner = -1;
        for (std::size_t i = first_unseen; i < flying.size() && owner < 0; ++i) {
            if (!seen_body[i] && flying[i].flare == flare && same_body(p, flying[i].pos)) {
                seen_body[i] = true;
                owner = flying[i].owner;
            }
        }
        while (first_unseen < flying.size() && seen_body[first_unseen])
            ++first_unseen;
        if (owner < 0)
            owner = nearest_station(p->pos);
        now.push_back({p->pos, owner, flare});
    }
    for (std::size_t i = 0; i < flying.size(); ++i) {
        if (seen_body[i])
            continue;
        const tracked& t = flying[i];
        if (t.flare) {
            // A flare gone away from both planets went up in the blast of a missile it caught.
            if (distance(t.pos, planet1.pos) > PLANET_REACH + 0.2f &&
                distance(t.pos, planet2.pos) > PLANET_REACH + 0.2f)
                sides[t.owner].intercepts += 1;
            continue;
        }
        for (int s = 0; s < 2; ++s) {
            if (!hit[s] || distance(t.pos, stations[s]->particle->pos) > STATION_REACH + BLAST_REACH)
                continue;
            if (s == t.owner) {
                sides[t.owner].self_hits += 1;
            } else {
                sides[t.owner].hits += 1;
                if (stations[s]->flares > 0)
                    sides[s].hits_taken_with_flares += 1;
            }
            hit[s] = false;
        }
    }
    flying.swap(now);
    steps += 1;
}
