#include <GL/gl.h>

#include "graphics/draw.h"
#include "graphics/graphical.h"
#include "interface/interface_elem.h"

void CInterfaceElem::display(float x, float y) {
    apply_blend(blend);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColor4fv(colour);

    bool visible = false;
    float s0 = 0, s1 = 1, t0 = 0, t1 = 1;
    if (texture != -1 && animation == 0) {
        visible = true;
    } else if (texture != -1 && animation == 1 && frames_h > 0 && frames_v > 0 && anim_speed > 0) {
        // A sheet without a positive grid or speed has no frame to show, so it is drawn like a
        // missing picture rather than dividing by zero.
        const int frame = counter / anim_speed;
        const int column = frame % frames_h;
        const int row = frame / frames_h;
        const float h_step = 1.0f / static_cast<float>(frames_h);
        const float v_step = 1.0f / static_cast<float>(frames_v);
        s0 = static_cast<float>(column) * h_step;
        s1 = s0 + h_step;
        t0 = static_cast<float>(row) * v_step;
        t1 = t0 + v_step;
        visible = true;
    }

    if (visible) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
        glBegin(GL_QUADS);
        glTexCoord2f(s1, t1);
        glVertex2f(x + w, y + h);
        glTexCoord2f(s1, t0);
        glVertex2f(x + w, y);
        glTexCoord2f(s0, t0);
        glVertex2f(x, y);
        glTexCoord2f(s0, t1);
        glVertex2f(x, y + h);
        glEnd();
    }
    bind_no_texture();
}
