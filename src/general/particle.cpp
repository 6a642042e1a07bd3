#include "general/particle.h"

CParticleList& particle_list() {
    static CParticleList list;
    return list;
}

CParticleList& particles = particle_list();

// Fields the constructors leave to the implementer start at neutral values, so a particle that never gets
// set_gfx still draws with a defined (opaque white) tint.
static void init_common(CParticle* p, float a, float b) {
    p->gfx.outline = false;
    for (int i = 0; i < 4; ++i) {
        p->gfx.colour[i] = 1;
        p->gfx.o_colour[i] = 1;
    }
    p->gfx.texture = -1;
    p->gfx.animation = 0;
    p->gfx.frames_h = 1;
    p->gfx.frames_v = 1;
    p->gfx.anim_speed = 1;
    p->gfx.blend = ALPHA;
    p->props.elasticity = 0;
    p->props.mass = 1;
    p->props.friction = 0;
    p->props.inertia = 1;
    p->props.gravity_multi = 1;
    p->props.immovable = false;
    p->pos = CVector(a, b);
    p->vel = CVector(0, 0);
    p->ang_vel = 0;
    p->ang_pos = 0;
    p->type = 0;
    p->counter = 0;
    p->ang_from_dir = false;
    // Through the function, not `particles`: global bodies in other units may be built before that
    // reference is bound.
    particle_list().push_back(p);
}

CParticle::CParticle(float a, float b, float r) {
    init_common(this, a, b);
    props.radius = r;
}

CParticle::CParticle(float a, float b, float w, float h) {
    init_common(this, a, b);
    props.radius = (w + h) / 2;
    gfx.geometry.push_back(CVector(w / 2, h / 2));
    gfx.geometry.push_back(CVector(w / 2, -h / 2));
    gfx.geometry.push_back(CVector(-w / 2, -h / 2));
    gfx.geometry.push_back(CVector(-w / 2, h / 2));
}

CParticle::~CParticle() {}

// Never destroyed, so a particle deleted during the program's exit still has its pool.
static CSlotPool& particle_pool() {
    static CSlotPool* pool = new CSlotPool(sizeof(CParticle));
    return *pool;
}

std::size_t CParticle::undeleted() {
    return particle_pool().in_use();
}

void* CParticle::operator new(std::size_t size) {
    // A subclass with fields of its own does not fit a slot.
    if (size != sizeof(CParticle))
        return ::operator new(size);
    return particle_pool().take();
}

void CParticle::operator delete(void* p, std::size_t size) {
    if (p == nullptr)
        return;
    if (size != sizeof(CParticle))
        ::operator delete(p);
    else
        particle_pool().give_back(p);
}
