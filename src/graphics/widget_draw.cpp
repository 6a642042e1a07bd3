#include <GL/gl.h>

#include "graphics/draw.h"
#include "graphics/font.h"
#include "graphics/interface_frame.h"
#include "interface/window.h"

namespace {

// The rectangle (0, 0)..(w, h), filled.
void rectangle(float w, float h, bool textured) {
    glBegin(GL_QUADS);
    if (textured)
        glTexCoord2f(1, 1);
    glVertex2f(w, h);
    if (textured)
        glTexCoord2f(1, 0);
    glVertex2f(w, 0);
    if (textured)
        glTexCoord2f(0, 0);
    glVertex2f(0, 0);
    if (textured)
        glTexCoord2f(0, 1);
    glVertex2f(0, h);
    glEnd();
}

// Whether this OpenGL draws lines wider than one pixel: the desktop's does, a browser's does not.
bool wide_lines() {
    static const bool drawn = [] {
        GLfloat range[2] = {1, 1};
        glGetFloatv(GL_ALIASED_LINE_WIDTH_RANGE, range);
        return range[1] > 1;
    }();
    return drawn;
}

// The rectangle's outline, two pixels of the interface's frame wide: a line loop around it that wide,
// or where lines are never wider than a pixel, a quad for each side, as wide.
void outline(float w, float h) {
    if (wide_lines()) {
        glLineWidth(2 * CInterfaceFrame::mapping().scale);
        glBegin(GL_LINE_LOOP);
        glVertex2f(w, h);
        glVertex2f(w, 0);
        glVertex2f(0, 0);
        glVertex2f(0, h);
        glEnd();
        glLineWidth(1);
        return;
    }
    const float sides[4][4] = {{w - 1, 0, w + 1, h}, {0, -1, w, 1}, {-1, 0, 1, h}, {0, h - 1, w, h + 1}};
    glBegin(GL_QUADS);
    for (const float* q : sides) {
        glVertex2f(q[2], q[3]);
        glVertex2f(q[2], q[1]);
        glVertex2f(q[0], q[1]);
        glVertex2f(q[0], q[3]);
    }
    glEnd();
}

// Fill and optional outline of one rectangle in the given look.
void body(const window_graphics& set, float w, float h) {
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColor4fv(set.colour);
    if (set.texture != -1) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(set.texture));
        rectangle(w, h, true);
    } else {
        rectangle(w, h, false);
    }
    bind_no_texture();
    if (set.outline) {
        glColor4fv(set.o_colour);
        outline(w, h);
    }
}

void text(const window_graphics& set, float x, float y, const std::string& title, int align) {
    glColor4fv(set.f_colour);
    bind_texture(set.font);
    write(x, y, title, set.font_size, set.font_size, align);
    bind_no_texture();
}

}  // namespace

void CWindow::draw() {
    bind_no_texture();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(x, y, 0);

    body(window, w, h);
    text(window, 10, h + 10, title, LEFT);

    const int hovered = check();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        CButton* b = buttons[i];
        // A button waiting for a key keeps that look even under the mouse.
        if (!b->shown)
            continue;
        if (b->active)
            b->draw(2);
        else if (static_cast<int>(i) == hovered)
            b->draw(1);
        else
            b->draw(0);
    }

    bind_no_texture();
    glPopMatrix();
}

void CButton::draw(int mode) {
    if (!parent)
        return;
    const window_graphics& set = mode == 2 ? parent->active : mode == 1 ? parent->hover : parent->normal;

    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(x, y, 0);

    body(set, w, h);
    text(set, w / 2, h / 2 - set.font_size / 2, title, CENTER);

    glPopMatrix();
}
