#include "graphics/window_rect.h"

#include <GL/gl.h>

#include <algorithm>

namespace {

bool clipping = false;
window_rect clip;

}  // namespace

void clip_to(const window_rect& r) {
    clipping = true;
    clip = r;
    glScissor(r.x, r.y, r.width, r.height);
    glEnable(GL_SCISSOR_TEST);
}

void stop_clipping() {
    clipping = false;
    glDisable(GL_SCISSOR_TEST);
}

bool reaches_clip(const window_rect& r) {
    if (!clipping)
        return true;
    const long left = std::max(static_cast<long>(r.x), static_cast<long>(clip.x));
    const long right = std::min(static_cast<long>(r.x) + r.width, static_cast<long>(clip.x) + clip.width);
    const long bottom = std::max(static_cast<long>(r.y), static_cast<long>(clip.y));
    const long top = std::min(static_cast<long>(r.y) + r.height, static_cast<long>(clip.y) + clip.height);
    return left < right && bottom < top;
}
