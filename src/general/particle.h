#pragma once

#include <cstddef>
#include <list>

#include "general/primitives.h"
#include "general/slot_pool.h"
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

    // Particles come from one pool in the order they are made, so a walk over `particles` reads
    // memory in order instead of jumping about the heap.
    static void* operator new(std::size_t size);
    static void operator delete(void* p, std::size_t size);
    // Particles made with `new` and not deleted yet (subclasses with fields of their own aside).
    static std::size_t undeleted();

    void update();
    void set_gfx(int tex, float* col, int blend);
    void set_anim(int v, int h, int s);
    void display(float z);
    virtual void draw();
};

// The GL state p.display leaves behind (blend function, fill, colour, texturing, no picture bound), set
// without drawing: for a particle left out of a clipped drawing it cannot reach.
void leave_display_state(const CParticle& p);

// The list of particles, its nodes from a pool of their own so that a walk reads memory in order.
using CParticleList = std::list<CParticle*, CSlotAllocator<CParticle*>>;

// Every live particle in order of construction. The list is a function-local static, so it exists
// before any particle built during static initialisation appends itself to it.
CParticleList& particle_list();
extern CParticleList& particles;
