#include "physics/physics.h"

#include <cmath>

#include "general/board_math.h"
#include "general/particle.h"

float CPhysics::gravity = -0.002f;

void CParticle::update() {
    if (ang_from_dir)
        ang_pos = board_math::atan2(vel.y, vel.x) - 1.57075f;
    if (props.immovable)
        return;
    pos = pos + vel;
    ang_pos = ang_pos + ang_vel;
    // 6.2831, not 2 pi, in double precision: the wrap the rest of the game's angles agree with.
    double k = std::trunc(static_cast<double>(ang_pos) / 6.2831);
    ang_pos = static_cast<float>(ang_pos - k * 6.2831);
}
