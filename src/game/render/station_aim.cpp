#include <GL/gl.h>

#include <cmath>

#include "game/sim/global.h"
#include "graphics/draw.h"
#include "graphics/textures.h"

namespace global {

void CStation::render_aim(int center_tex, float* col) {
    glPushMatrix();
    glTranslatef(particle->pos.x + std::sin(aim), particle->pos.y - std::cos(aim), 0);
    glColor4f(1, 1, 1, 1);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(center_tex));
    glBegin(GL_QUADS);
    glTexCoord2f(1, 1);
    glVertex2f(0.2f, 0.2f);
    glTexCoord2f(1, 0);
    glVertex2f(0.2f, -0.2f);
    glTexCoord2f(0, 0);
    glVertex2f(-0.2f, -0.2f);
    glTexCoord2f(0, 1);
    glVertex2f(-0.2f, 0.2f);
    glEnd();
    if (loaded * 6.4f >= 1) {
        set_color(col);
        set_texture("blue_circle");
        float f = std::floor(loaded * 6.4f);
        float u1 = f * 0.0625f;
        float u0 = u1 - 0.0625f;
        glBegin(GL_QUADS);
        glTexCoord2f(u1, 1);
        glVertex2f(0.4f, 0.4f);
        glTexCoord2f(u1, 0);
        glVertex2f(0.4f, -0.4f);
        glTexCoord2f(u0, 0);
        glVertex2f(-0.4f, -0.4f);
        glTexCoord2f(u0, 1);
        glVertex2f(-0.4f, 0.4f);
        glEnd();
    }
    bind_no_texture();
    glPopMatrix();
}

}  // namespace global
