#include "graphics/backdrop.h"

#include <GL/gl.h>

#include "general/particle.h"
#include "graphics/draw.h"
#include "graphics/picture_inputs.h"
#include "graphics/textures.h"

namespace {

// Where the viewport sits in what describe writes: right after the two matrices.
constexpr int VIEWPORT_AT = 32;

}  // namespace

std::vector<float> CBackdrop::describe(const std::vector<layer>& layers) {
    std::vector<float> out;
    float matrices[32];
    glGetFloatv(GL_PROJECTION_MATRIX, matrices);
    glGetFloatv(GL_MODELVIEW_MATRIX, matrices + 16);
    append_inputs(out, matrices, 32);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    for (GLint v : viewport)
        out.push_back(static_cast<float>(v));
    float clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    append_inputs(out, clear, 4);
    out.push_back(static_cast<float>(texture_loads));
    out.push_back(glIsEnabled(GL_BLEND) ? 1.0f : 0.0f);
    for (const layer& l : layers) {
        out.push_back(l.depth);
        append_body_inputs(out, *l.body);
    }
    return out;
}

bool CBackdrop::current(const std::vector<layer>& layers) const {
    return !layers.empty() && !view.empty() && drawing_to_window() && describe(layers) == view;
}

void CBackdrop::draw(const std::vector<layer>& layers) {
    if (layers.empty())
        return;
    std::vector<float> now = describe(layers);
    const int x = static_cast<int>(now[VIEWPORT_AT]), y = static_cast<int>(now[VIEWPORT_AT + 1]);
    const int width = static_cast<int>(now[VIEWPORT_AT + 2]), height = static_cast<int>(now[VIEWPORT_AT + 3]);
    const bool to_window = drawing_to_window();
    if (to_window && now == view) {
        copy.put_back(x, y, width, height);
    } else {
        for (const layer& l : layers)
            l.body->display(l.depth);
        ++composed;
        // A window the card cannot hold as a texture is drawn layer by layer every frame.
        view = to_window && copy.take(x, y, width, height) ? now : std::vector<float>();
    }
    leave_display_state(*layers.back().body);
}

void CBackdrop::draw_again(const std::vector<layer>& layers) {
    if (view.empty()) {
        draw(layers);
        return;
    }
    copy.put_back(static_cast<int>(view[VIEWPORT_AT]), static_cast<int>(view[VIEWPORT_AT + 1]),
                  static_cast<int>(view[VIEWPORT_AT + 2]), static_cast<int>(view[VIEWPORT_AT + 3]));
    // The state the last layer's own drawing leaves behind.
    leave_display_state(*layers.back().body);
}
