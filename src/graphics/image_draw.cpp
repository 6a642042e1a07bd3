#include <GL/gl.h>

#include "graphics/draw.h"
#include "graphics/graphical.h"
#include "interface/interface_elem.h"

void CInterfaceElem::display(float x, float y) {
    apply_blend(blend);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColor4fv(colour);

    bool visible = false;
    frame_rect f{0, 0, 1, 1};
    if (texture != -1 && animation == 0) {
        visible = true;
    } else if (texture != -1 && animation == 1 && frames_h > 0 && frames_v > 0 && anim_speed > 0) {
        // A sheet without a positive grid or speed has no frame to show, so it is drawn like a
        // missing picture rather than dividing by zero.
        f = animation_frame(counter, frames_h, frames_v, anim_speed);
        visible = true;
    }

    if (visible) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
        glBegin(GL_QUADS);
        glTexCoord2f(f.s1, f.t1);
        glVertex2f(x + w, y + h);
        glTexCoord2f(f.s1, f.t0);
        glVertex2f(x + w, y);
        glTexCoord2f(f.s0, f.t0);
        glVertex2f(x, y);
        glTexCoord2f(f.s0, f.t1);
        glVertex2f(x, y + h);
        glEnd();
    }
    bind_no_texture();
}
