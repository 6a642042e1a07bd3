#include <GL/gl.h>

#include "general/figure.h"
#include "graphics/draw.h"

namespace {
void turn_to(CFigure* f) {
    glTranslatef(f->pos.x, f->pos.y, 0);
    glRotatef(static_cast<float>(f->ang_pos * 360.0f / 6.283), 0, 0, 1);
}

// The fan's triangles, filled (GL_TRIANGLES) or as their outlines (GL_LINE_LOOP).
void draw_fan(const std::vector<CTri*>& triangles, GLenum primitive) {
    for (CTri* t : triangles) {
        glBegin(primitive);
        glVertex2f(0, 0);
        glVertex2f(t->a.x, t->a.y);
        glVertex2f(t->b.x, t->b.y);
        glEnd();
    }
}
}  // namespace

void CFigure::set_gfx(int tex, float* col, bool out, float* o_col) {
    for (int i = 0; i < 4; ++i) {
        gfx.colour[i] = col[i];
        gfx.o_colour[i] = o_col[i];
    }
    gfx.outline = out;
    gfx.texture = tex;
}

void CFigure::display() {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    turn_to(this);
    draw();
    if (gfx.outline) {
        // The outline sets the colour the grid is drawn in.
        draw_o();
        draw_grid();
    }
    glPopMatrix();
}

void CFigure::draw() {
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColor4fv(gfx.colour);
    // A texture needs the four quad corners; a figure without them (triangles) is drawn plain.
    if (gfx.texture != -1 && gfx.geometry.size() >= 4) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(gfx.texture));
        const std::vector<CVector>& g = gfx.geometry;
        glBegin(GL_QUADS);
        glTexCoord2f(1, 1);
        glVertex2f(g[0].x, g[0].y);
        glTexCoord2f(1, 0);
        glVertex2f(g[1].x, g[1].y);
        glTexCoord2f(0, 0);
        glVertex2f(g[2].x, g[2].y);
        glTexCoord2f(0, 1);
        glVertex2f(g[3].x, g[3].y);
        glEnd();
    } else {
        draw_fan(triangles, GL_TRIANGLES);
    }
    bind_no_texture();
}

// Two pixels wide where OpenGL draws wide lines (the figures demo on the desktop); one in a browser.
void CFigure::draw_o() {
    glLineWidth(2.0f);
    glColor4fv(gfx.o_colour);
    glBegin(GL_LINE_LOOP);
    for (CTri* t : triangles) {
        glVertex2f(t->a.x, t->a.y);
        glVertex2f(t->b.x, t->b.y);
    }
    glEnd();
    glLineWidth(1.0f);
}

void CFigure::draw_grid() {
    draw_fan(triangles, GL_LINE_LOOP);
}

void CFigure::display_col() {
    static const float red[4] = {1, 0, 0, 1};
    glColor4fv(red);
    if (col_type == 1) {
        glPointSize(15.0f);
        glPushMatrix();
        turn_to(this);
        glBegin(GL_POINTS);
        glVertex2f(col_points[0].x, col_points[0].y);
        glEnd();
        glPopMatrix();
    } else if (col_type == 2) {
        glLineWidth(5.0f);
        glPushMatrix();
        turn_to(this);
        glBegin(GL_LINES);
        glVertex2f(col_points[0].x, col_points[0].y);
        glVertex2f(col_points[1].x, col_points[1].y);
        glEnd();
        glPopMatrix();
    }
    glPointSize(1.0f);
    glLineWidth(1.0f);
}
