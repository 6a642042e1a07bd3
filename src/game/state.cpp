#include "game/global.h"
#include "game/match_recorder.h"
#include "game/sim/board_owned.h"

namespace global {

CParticleList::iterator it;
float LPS = 100.0f;
int fps = 0;
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
CInterfaceElem hud_right(770, 528, 256, 256);
CInterfaceElem left_one(-1, 579, 200, 200);
CInterfaceElem left_two(0, 620, 155, 145);
CInterfaceElem left_three(-1, 529, 256, 256);
CInterfaceElem menu_planet1(0, 0, 400, 400);
CInterfaceElem menu_planet2(0, 0, 512, 512);
CInterfaceElem logo(0, 0, 500, 86);

bool zooming = true;
float zoom_mul = 1.0f;
int counter = 0;
int game_state = HIDDEN;
int menu_state = MAIN;
int players = SINGLE;
int difficulty = MEDIUM;

CWindow* pause_menu = nullptr;
CWindow* main_menu = nullptr;
CWindow* options_menu = nullptr;
CWindow* howto_menu = nullptr;
CWindow* diff_menu = nullptr;
CWindow* network_menu = nullptr;

COptions options{};

}  // namespace global

void restart() {
    using namespace global;
    match_recorder::board_reset();
    camera[0] = 0;
    camera[1] = 0;
    camera[2] = -20;
    if (station1 != nullptr)
        station1->particle->ang_pos = 3.1415f;
    if (station2 != nullptr)
        station2->particle->ang_pos = 0;
    counter = 0;
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
