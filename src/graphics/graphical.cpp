#include "graphics/graphical.h"

#include <GL/gl.h>

void apply_blend(int blend) {
    if (blend == ALPHA)
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    else if (blend == ADD)
        glBlendFunc(GL_ONE, GL_ONE);
}

frame_rect animation_frame(int counter, int frames_h, int frames_v, int speed) {
    const int frame = counter / speed;
    const float h_step = 1.0f / frames_h;
    const float v_step = 1.0f / frames_v;
    const int column = frame % frames_h;
    const int row = frame / frames_h;
    return {column * h_step, row * v_step, (column + 1) * h_step, (row + 1) * v_step};
}

bool draws_quad(const graphical& g) {
    if (g.texture == -1 || g.geometry.size() < 4)
        return false;
    if (g.animation == 0)
        return true;
    return g.animation == 1 && g.anim_speed > 0 && g.frames_h > 0 && g.frames_v > 0;
}
