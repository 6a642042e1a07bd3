#include "graphics/backdrop.h"

#include <GL/gl.h>

#include "general/particle.h"
#include "graphics/draw.h"
#include "graphics/textures.h"

namespace {

int power_of_two_from(int n) {
    int p = 1;
    while (p < n)
        p *= 2;
    return p;
}

void push(std::vector<float>& out, const float* values, int n) {
    out.insert(out.end(), values, values + n);
}

}  // namespace

std::vector<float> CBackdrop::describe(const std::vector<layer>& layers) {
    std::vector<float> out;
    float matrices[32];
    glGetFloatv(GL_PROJECTION_MATRIX, matrices);
    glGetFloatv(GL_MODELVIEW_MATRIX, matrices + 16);
    push(out, matrices, 32);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    for (GLint v : viewport)
        out.push_back(static_cast<float>(v));
    float clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    push(out, clear, 4);
    out.push_back(static_cast<float>(texture_loads));
    out.push_back(glIsEnabled(GL_BLEND) ? 1.0f : 0.0f);
    for (const layer& l : layers) {
        const CParticle& p = *l.body;
        const graphical& g = p.gfx;
        const float body[] = {l.depth,
                              p.pos.x,
                              p.pos.y,
                              p.ang_pos,
                              static_cast<float>(p.counter),
                              static_cast<float>(g.texture),
                              static_cast<float>(g.blend),
                              static_cast<float>(g.animation),
                              static_cast<float>(g.frames_h),
                              static_cast<float>(g.frames_v),
                              static_cast<float>(g.anim_speed),
                              static_cast<float>(g.geometry.size())};
        push(out, body, sizeof body / sizeof body[0]);
        push(out, g.colour, 4);
        for (const CVector& c : g.geometry) {
            out.push_back(c.x);
            out.push_back(c.y);
        }
    }
    return out;
}

void CBackdrop::draw(const std::vector<layer>& layers) {
    if (layers.empty())
        return;
    std::vector<float> now = describe(layers);
    // The viewport sits right after the two matrices.
    const int x = static_cast<int>(now[32]), y = static_cast<int>(now[33]);
    const int width = static_cast<int>(now[34]), height = static_cast<int>(now[35]);
    // Feedback and selection passes leave the window untouched: there is nothing to copy.
    GLint mode = 0;
    glGetIntegerv(GL_RENDER_MODE, &mode);
    const bool rendering = mode == GL_RENDER;
    if (rendering && now == view) {
        put_back(x, y, width, height);
    } else {
        for (const layer& l : layers)
            l.body->display(l.depth);
        ++composed;
        // A window the card cannot hold as a texture is drawn layer by layer every frame.
        view = rendering && keep_copy(x, y, width, height) ? now : std::vector<float>();
    }
    // The state the last layer's own drawing leaves behind.
    const graphical& last = layers.back().body->gfx;
    if (last.blend == ALPHA)
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    else if (last.blend == ADD)
        glBlendFunc(GL_ONE, GL_ONE);
    glColor4fv(last.colour);
}

bool CBackdrop::keep_copy(int x, int y, int width, int height) {
    if (width <= 0 || height <= 0)
        return false;
    if (texture == 0)
        glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    // Power-of-two sides, as OpenGL 1.1 asks; the window fills the lower-left corner.
    const int w = power_of_two_from(width), h = power_of_two_from(height);
    if (w != texture_width || h != texture_height) {
        GLint largest = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
        texture_width = texture_height = 0;
        if (w > largest || h > largest) {
            bind_no_texture();
            return false;
        }
        while (glGetError() != GL_NO_ERROR) {
        }
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        if (glGetError() != GL_NO_ERROR) {
            bind_no_texture();
            return false;
        }
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        texture_width = w;
        texture_height = h;
    }
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, x, y, width, height);
    bind_no_texture();
    return true;
}

void CBackdrop::put_back(int x, int y, int width, int height) const {
    put_texels(texture, texture_width, texture_height, x, y, width, height);
}

void put_texels(unsigned int texture, int texture_width, int texture_height, int x, int y, int width,
                int height) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(x, x + width, y, y + height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    const GLboolean blending = glIsEnabled(GL_BLEND);
    glDisable(GL_BLEND);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    // Pixel centres land on texel centres, so nearest filtering reads each texel exactly once.
    const float s = static_cast<float>(width) / static_cast<float>(texture_width);
    const float t = static_cast<float>(height) / static_cast<float>(texture_height);
    glBegin(GL_QUADS);
    glTexCoord2f(s, t);
    glVertex2f(x + width, y + height);
    glTexCoord2f(s, 0);
    glVertex2f(x + width, y);
    glTexCoord2f(0, 0);
    glVertex2f(x, y);
    glTexCoord2f(0, t);
    glVertex2f(x, y + height);
    glEnd();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    if (blending)
        glEnable(GL_BLEND);
    bind_no_texture();

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}
