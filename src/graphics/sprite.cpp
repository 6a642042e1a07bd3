#include <GL/gl.h>

#include "general/particle.h"
#include "graphics/draw.h"

void CParticle::set_gfx(int tex, float* col, int blend) {
    for (int i = 0; i < 4; ++i)
        gfx.colour[i] = col[i];
    gfx.texture = tex;
    if (gfx.geometry.empty()) {
        float r = props.radius;
        gfx.geometry.push_back(CVector(r, r));
        gfx.geometry.push_back(CVector(r, -r));
        gfx.geometry.push_back(CVector(-r, -r));
        gfx.geometry.push_back(CVector(-r, r));
    }
    gfx.blend = blend;
}

void CParticle::set_anim(int v, int h, int s) {
    gfx.frames_v = v;
    gfx.frames_h = h;
    gfx.anim_speed = s;
    gfx.animation = 1;
}

void CParticle::display(float z) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(pos.x, pos.y, z);
    float turned = ang_pos * 360.0f;
    glRotatef(static_cast<float>(turned / 6.283), 0, 0, 1);
    apply_blend(gfx.blend);
    draw();
    glPopMatrix();
}

static void textured_quad(const std::vector<CVector>& g, float s0, float t0, float s1, float t1) {
    glBegin(GL_QUADS);
    glTexCoord2f(s1, t1);
    glVertex2f(g[0].x, g[0].y);
    glTexCoord2f(s1, t0);
    glVertex2f(g[1].x, g[1].y);
    glTexCoord2f(s0, t0);
    glVertex2f(g[2].x, g[2].y);
    glTexCoord2f(s0, t1);
    glVertex2f(g[3].x, g[3].y);
    glEnd();
}

void CParticle::draw() {
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColor4fv(gfx.colour);
    // A particle that never had set_gfx has no corners, and draws nothing.
    if (draws_quad(gfx)) {
        frame_rect f{0, 0, 1, 1};
        if (gfx.animation == 1)
            f = animation_frame(counter, gfx.frames_h, gfx.frames_v, gfx.anim_speed);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(gfx.texture));
        textured_quad(gfx.geometry, f.s0, f.t0, f.s1, f.t1);
    }
    bind_no_texture();
}

void leave_display_state(const CParticle& p) {
    glMatrixMode(GL_MODELVIEW);
    apply_blend(p.gfx.blend);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColor4fv(p.gfx.colour);
    if (draws_quad(p.gfx))
        glEnable(GL_TEXTURE_2D);
    bind_no_texture();
}
