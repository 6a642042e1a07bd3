#pragma once

#include <list>

#include "game/options.h"
#include "general/particle.h"
#include "interface/interface.h"

// All state of the game.
namespace global {

enum particle_type { DEFAULT = 0, ROCKET = 1, FLARE = 2, MINE = 3, TRACE = 4, EXP = 5, SIGN = 6, BACK = 7, SHADOW = 8 };
enum game_states { ON = 0, PAUSED = 1, HIDDEN = 2, ENDED = 3, CLOSING = 4 };
enum menu_states { NONE = 0, MAIN = 1, OPTIONS = 2, INSTRUCTIONS = 3, DIFF = 4, NETWORK = 5 };
enum player_states { SINGLE = 0, MULTI = 1 };
enum difficulty_level { ZERO = 0, HARD = 1, MEDIUM = 2, THREE = 3, EASY = 4 };

// One player's gun station riding its planet.
class CStation {
public:
    CParticle* particle;
    CParticle* planet;
    float aim;
    bool loading;
    float loaded;
    bool cw;
    bool ccw;
    int shields;
    int rockets;
    int flares;

    CStation(CParticle* par, CParticle* pla);
    void update();
    void reset();
    void shoot_rocket(int tex);
    void shoot_flare(int tex);
    void render_aim(int center_tex, float* col);
};

extern CParticleList::iterator it;
extern float LPS;
extern int fps;
extern float white[4];
extern float camera[3];

extern CParticle background;
extern CParticle clouds;
extern CParticle star;
extern CParticle shadow_1;
extern CParticle shadow_2;
extern CParticle planet1;
extern CParticle planet2;

extern CStation* station1;
extern CStation* station2;

extern CInterfaceElem noise;
extern CInterfaceElem hud_right;
extern CInterfaceElem left_one;
extern CInterfaceElem left_two;
extern CInterfaceElem left_three;
extern CInterfaceElem menu_planet1;
extern CInterfaceElem menu_planet2;
extern CInterfaceElem logo;

extern bool zooming;
extern float zoom_mul;
extern int counter;
extern int game_state;
extern int menu_state;
extern int players;
extern int difficulty;

extern CWindow* pause_menu;
extern CWindow* main_menu;
extern CWindow* options_menu;
extern CWindow* howto_menu;
extern CWindow* diff_menu;
extern CWindow* network_menu;

extern COptions options;

}  // namespace global

// Clears the board and resets both stations for a new match.
void restart();
