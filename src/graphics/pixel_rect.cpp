#include "graphics/pixel_rect.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>

void clip_to(const pixel_rect& r) {
    glScissor(r.x, r.y, r.width, r.height);
    glEnable(GL_SCISSOR_TEST);
}

void stop_clipping() {
    glDisable(GL_SCISSOR_TEST);
}

pixel_rect overlap(const pixel_rect& a, const pixel_rect& b) {
    // Sums of two ints: 64 bits on every target (a long has 32 in a browser).
    using wide = std::int64_t;
    const wide left = std::max(static_cast<wide>(a.x), static_cast<wide>(b.x));
    const wide right = std::min(static_cast<wide>(a.x) + a.width, static_cast<wide>(b.x) + b.width);
    const wide bottom = std::max(static_cast<wide>(a.y), static_cast<wide>(b.y));
    const wide top = std::min(static_cast<wide>(a.y) + a.height, static_cast<wide>(b.y) + b.height);
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
