#include "graphics/picture_inputs.h"

#include "general/particle.h"

void append_inputs(std::vector<float>& inputs, const float* values, int count) {
    inputs.insert(inputs.end(), values, values + count);
}

void append_body_inputs(std::vector<float>& inputs, const CParticle& body) {
    const graphical& g = body.gfx;
    const float numbers[] = {body.pos.x,
                             body.pos.y,
                             body.ang_pos,
                             static_cast<float>(body.counter),
                             static_cast<float>(g.texture),
                             static_cast<float>(g.blend),
                             static_cast<float>(g.animation),
                             static_cast<float>(g.frames_h),
                             static_cast<float>(g.frames_v),
                             static_cast<float>(g.anim_speed),
                             static_cast<float>(g.geometry.size())};
    append_inputs(inputs, numbers, sizeof numbers / sizeof numbers[0]);
    append_inputs(inputs, g.colour, 4);
    for (const CVector& c : g.geometry) {
        inputs.push_back(c.x);
        inputs.push_back(c.y);
    }
}
