#pragma once

#include <list>

#include "general/primitives.h"
#include "graphics/graphical.h"

// The physical record shared by particles and figures.
struct physical {
    float elasticity;
    float mass;
    float friction;
    float inertia;
    float gravity_multi;
    float radius;
    bool immovable;
};

// A point body: everything in the game world is one.
class CParticle {
public:
    graphical gfx;
    physical props;
    CVector pos;
    CVector vel;
    float ang_vel;
    float ang_pos;
    int type;
    int counter;
    bool ang_from_dir;

    // Appends itself to `particles`.
    CParticle(float a, float b, float r);
    CParticle(float a, float b, float w, float h);
    // Does not leave `particles`: whoever retires a particle erases its entry too.
    virtual ~CParticle();

    void update();
    void set_gfx(int tex, float* col, int blend);
    void set_anim(int v, int h, int s);
    void display(float z);
    virtual void draw();
};

// Every live particle in order of construction. The list is a function-local static, so it exists
// before any particle built during static initialisation appends itself to it.
std::list<CParticle*>& particle_list();
extern std::list<CParticle*>& particles;
