#include "graphics/pixel_rect.h"

#include <GL/gl.h>

#include <algorithm>

void clip_to(const pixel_rect& r) {
    glScissor(r.x, r.y, r.width, r.height);
    glEnable(GL_SCISSOR_TEST);
}

void stop_clipping() {
    glDisable(GL_SCISSOR_TEST);
}

pixel_rect overlap(const pixel_rect& a, const pixel_rect& b) {
    const long left = std::max(static_cast<long>(a.x), static_cast<long>(b.x));
    const long right = std::min(static_cast<long>(a.x) + a.width, static_cast<long>(b.x) + b.width);
    const long bottom = std::max(static_cast<long>(a.y), static_cast<long>(b.y));
    const long top = std::min(static_cast<long>(a.y) + a.height, static_cast<long>(b.y) + b.height);
    if (left >= right || bottom >= top)
        return {};
    return {static_cast<int>(left), static_cast<int>(bottom), static_cast<int>(right - left),
            static_cast<int>(top - bottom)};
}

bool meet(const pixel_rect& a, const pixel_rect& b) {
    const pixel_rect both = overlap(a, b);
    return both.width > 0 && both.height > 0;
}

bool reaches_clip(const pixel_rect& r) {
    if (!glIsEnabled(GL_SCISSOR_TEST))
        return true;
    GLint box[4];
    glGetIntegerv(GL_SCISSOR_BOX, box);
    return meet(r, {box[0], box[1], box[2], box[3]});
}
