#include "game/sim/board_owned.h"

#include "game/sim/global.h"

bool board_owned(const CParticle& p) {
    using namespace global;
    return p.type == TRACE || p.type == ROCKET || p.type == FLARE || p.type == SIGN || p.type == EXP;
}

void delete_board_owned() {
    for (auto i = particles.begin(); i != particles.end();) {
        if (board_owned(**i)) {
            delete *i;
            i = particles.erase(i);
        } else {
            ++i;
        }
    }
}
