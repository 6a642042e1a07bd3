#pragma once

#include <list>

#include "general/particle.h"
#include "interface/interface_elem.h"

// The state of the game: the board, the match and which screen is up. The HUD's pictures, the menu windows
// and the options live with the code that draws, builds and reads them (render/hud_images.h,
// ui/menu_windows.h, config/options.h), in this same namespace.
namespace global {

enum particle_type {
    DEFAULT = 0,
    ROCKET = 1,
    FLARE = 2,
    MINE = 3,
    TRACE = 4,
    EXP = 5,
    SIGN = 6,
    BACK = 7,
    SHADOW = 8
};
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
    // Drawn by the world pass, which defines it (render/station_aim.cpp).
    void render_aim(int center_tex, float* col);
};

extern CParticleList::iterator it;
extern float LPS;
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

// The HUD's noise panel; its frame is on the board's clock, advanced by the logic step.
extern CInterfaceElem noise;

extern int counter;
extern int game_state;
extern int menu_state;
extern int players;
extern int difficulty;

}  // namespace global

// Clears the board and resets both stations for a new match.
void restart();
