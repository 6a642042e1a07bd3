#include "game/sim/board_owned.h"
#include "game/sim/global.h"
#include "game/sim/match_tally.h"

namespace global {

CParticleList::iterator it;
float LPS = 100.0f;
float white[4] = {1, 1, 1, 1};
float camera[3] = {0, 0, -20};

// These seven are the first entries of `particles`, in this order; the world pass draws in list order.
CParticle background(0, 0, 400, 300);
CParticle clouds(0, 0, 120, 120);
CParticle star(20, 9, 5, 5);
CParticle shadow_1(-12, -4, 12, 12);
CParticle shadow_2(4, -4, 12, 12);
CParticle planet1(-8, 0, 3);
CParticle planet2(8, 0, 3);

CStation* station1 = nullptr;
CStation* station2 = nullptr;

CInterfaceElem noise(830, 663, 165, 105);

int counter = 0;
int game_state = HIDDEN;
int menu_state = MAIN;
int players = SINGLE;
int difficulty = MEDIUM;

}  // namespace global

void restart() {
    using namespace global;
    camera[0] = 0;
    camera[1] = 0;
    camera[2] = -20;
    if (station1 != nullptr)
        station1->particle->ang_pos = 3.1415f;
    if (station2 != nullptr)
        station2->particle->ang_pos = 0;
    counter = 0;
    tally = CMatchTally();
    if (station1 != nullptr)
        station1->reset();
    if (station2 != nullptr)
        station2->reset();
    it = particles.begin();
    while (it != particles.end()) {
        if (board_owned(**it)) {
            delete *it;
            it = particles.erase(it);
        } else {
            ++it;
        }
    }
}
