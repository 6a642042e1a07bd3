#include "graphics/framebuffer_copy.h"

#include <GL/gl.h>

#include "graphics/draw.h"

namespace {

int power_of_two_from(int n) {
    int p = 1;
    while (p < n)
        p *= 2;
    return p;
}

}  // namespace

bool CFramebufferCopy::take(int x, int y, int width, int height) {
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

void CFramebufferCopy::refresh(int x, int y, int width, int height) {
    if (texture == 0 || x < 0 || y < 0 || width <= 0 || height <= 0 || x + width > texture_width ||
        y + height > texture_height)
        return;
    glBindTexture(GL_TEXTURE_2D, texture);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, x, y, x, y, width, height);
    bind_no_texture();
}

void CFramebufferCopy::put_back(int x, int y, int width, int height) const {
    put_texels(texture, texture_width, texture_height, x, y, width, height);
}

void put_texels(unsigned int texture, int texture_width, int texture_height, int x, int y, int width,
                int height) {
    // Window pixels across the viewport, so that any rectangle lands on its own pixels.
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(viewport[0], viewport[0] + viewport[2], viewport[1], viewport[1] + viewport[3], -1, 1);
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
