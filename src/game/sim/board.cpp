#include "game/sim/board.h"

#include "game/sim/global.h"
#include "general/texture_names.h"

void build_board() {
    using namespace global;

    station1 = new CStation(new CParticle(-9, -4, 0.4f), &planet1);
    station2 = new CStation(new CParticle(9, 4, 0.4f), &planet2);
    station1->particle->ang_vel = 0.0022f;
    station2->particle->ang_vel = 0.0022f;
    station1->particle->ang_pos = 3.1415f;

    background.type = BACK;
    clouds.type = BACK;
    star.type = BACK;
    shadow_1.type = SHADOW;
    shadow_2.type = SHADOW;

    counter = 0;
    // The noise panel's frame counter is advanced by the logic step.
    noise.set_anim(1, 3, 25);
}

void build_board_without_window() {
    if (global::station1 == nullptr)
        build_board();
    for (const char* name : {"missile", "particle", "explosion"})
        textures.insert({name, NO_TEXTURE});
}
