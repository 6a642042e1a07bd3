#include "match_scene.h"

#include "game/sim/events.h"
#include "game/sim/global.h"
#include "game/sim/logic.h"
#include "game/sim/match_tally.h"
#include "graphics/textures.h"

namespace {

// A step as the game runs one, its tally kept.
void step() {
    const std::size_t first_event = global::events.size();
    program_logic();
    global::tally.after_step(first_event);
}

}  // namespace

void play_a_little() {
    using namespace global;
    restart();
    players = MULTI;
    game_state = ON;
    const int missile = set_texture("missile");
    station1->aim = 2.2f;
    station1->loaded = 1.2f;
    station1->shoot_rocket(missile);
    station2->aim = -1.9f;
    station2->loaded = 0.8f;
    station2->shoot_rocket(missile);
    for (int i = 0; i < 60; ++i)
        step();
    station1->aim = 1.9f;
    station1->loaded = 1.6f;
    station1->shoot_rocket(missile);
    station2->shoot_flare(missile);
    for (int i = 0; i < 90; ++i)
        step();
    station1->loaded = 1.4f;
}
