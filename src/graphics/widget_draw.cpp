#include <GL/gl.h>

#include "graphics/draw.h"
#include "graphics/font.h"
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

// The rectangle's outline two pixels wide, as the line loop around it two pixels wide lit them: each side
// as two one-pixel lines either side of the edge, each in the direction the loop ran, a quarter pixel off
// the pixel centres so that both ends land as the wide line's did (its first pixel lit, its last not).
// A browser's OpenGL draws no line wider than one pixel.
void outline(float w, float h) {
    glBegin(GL_LINES);
    for (float d : {-0.75f, 0.25f}) {
        glVertex2f(w + d, h);
        glVertex2f(w + d, 0);
        glVertex2f(w, d);
        glVertex2f(0, d);
        glVertex2f(d, 0);
        glVertex2f(d, h);
        glVertex2f(0, h + d);
        glVertex2f(w, h + d);
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
