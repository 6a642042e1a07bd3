#include "graphics/camera.h"

#include <GL/gl.h>

#include "general/figure.h"

void translate_camera(CFigure* fig, float* camera, float follow) {
    glMatrixMode(GL_MODELVIEW);
    if (fig == nullptr || camera == nullptr) {
        if (camera != nullptr)
            glTranslatef(-camera[0], -camera[1], 0);
        return;
    }
    // The step heads from where the camera is to the figure, so a resting figure ends up centred
    // instead of the view running on past it.
    CVector move = fig->pos - CVector(camera[0], camera[1]);
    float length = move.len();
    if (!(follow > 0))
        move = CVector(0, 0);
    else if (length >= follow)
        move = move * (follow / length);
    glTranslatef(-camera[0] - move.x, -camera[1] - move.y, 0);
    camera[0] = camera[0] + move.x;
    camera[1] = camera[1] + move.y;
}

namespace {
constexpr int MAX_GRID_LINES = 100000;
}

void world_grid(float x, float y) {
    static const float black[4] = {0, 0, 0, 1};
    glPushAttrib(GL_POLYGON_BIT | GL_LINE_BIT);
    glLineWidth(1.0f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glColor4fv(black);
    // Counted in whole lines: a float counter stops growing past 2^24 and would never end.
    for (int n = 0; n <= MAX_GRID_LINES && n <= y; ++n) {
        float i = static_cast<float>(n);
        glBegin(GL_LINES);
        glVertex2f(0, i);
        glVertex2f(x, i);
        glEnd();
    }
    for (int n = 0; n <= MAX_GRID_LINES && n <= x; ++n) {
        float i = static_cast<float>(n);
        glBegin(GL_LINES);
        glVertex2f(i, 0);
        glVertex2f(i, y);
        glEnd();
    }
    glPopAttrib();
}
