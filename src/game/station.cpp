#include <GL/gl.h>

#include <cmath>

#include "game/global.h"
#include "game/rules.h"
#include "graphics/draw.h"
#include "graphics/textures.h"

namespace global {

CStation::CStation(CParticle* par, CParticle* pla) : particle(par), planet(pla) {
    reset();
}

void CStation::reset() {
    aim = 0;
    loading = false;
    loaded = 0;
    cw = false;
    ccw = false;
    shields = FULL_SHIELDS;
    rockets = FULL_MISSILES;
    flares = FULL_FLARES;
}

void CStation::update() {
    if (cw)
        aim = aim - AIM_STEP;
    if (ccw)
        aim = aim + AIM_STEP;
    float theta = particle->ang_pos + 3.1415f;
    particle->pos.x = planet->pos.x + ORBIT_RADIUS * std::sin(theta);
    particle->pos.y = planet->pos.y - ORBIT_RADIUS * std::cos(theta);
    double k = std::trunc(static_cast<double>(aim) / 6.2831);
    aim = static_cast<float>(aim - k * 6.2831);
    if (loading)
        loaded = loaded + CHARGE_STEP;
    if (loaded >= FULL_CHARGE) {
        shoot_rocket(set_texture("missile"));
        loaded = 0;
        loading = false;
    }
}

// The fired particle joins `particles`; the logic step or restart deletes it.
static CParticle* launch(CParticle* from, int tex, float* col, CVector vel) {
    CParticle* p = new CParticle(from->pos.x, from->pos.y, 0.2f);
    p->set_gfx(tex, col, ALPHA);
    p->vel = vel;
    p->ang_from_dir = true;
    return p;
}

void CStation::shoot_rocket(int tex) {
    static float grey[4] = {0.7f, 0.7f, 0.7f, 1};
    if (rockets <= 0)
        return;
    CVector dir(std::sin(aim), -std::cos(aim));
    CParticle* p = launch(particle, tex, grey, dir * ((loaded + 1) / MISSILE_SPEED_DIVISOR));
    p->type = ROCKET;
    rockets = rockets - 1;
}

void CStation::shoot_flare(int tex) {
    static float red[4] = {0.7f, 0.2f, 0.2f, 1};
    CVector dir(std::sin(aim), -std::cos(aim));
    CParticle* p = launch(particle, tex, red, dir / FLARE_SPEED_DIVISOR);
    p->type = FLARE;
    flares = flares - 1;
}

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
