#include "graphics/sprite_batch.h"

#include <GL/gl.h>

#include <cmath>
#include <typeinfo>

#include "general/particle.h"
#include "graphics/draw.h"

namespace {

constexpr double PI = 3.14159265358979323846;

}  // namespace

bool CSpriteBatch::one_by_one = false;

void CSpriteBatch::add(CParticle* p, float z) {
    const graphical& g = p->gfx;
    // A subclass may draw itself differently; and a sprite without a quad only changes state.
    if (one_by_one || typeid(*p) != typeid(CParticle) || !draws_quad(g)) {
        flush();
        p->display(z);
        for (int i = 0; i < 4; ++i)
            last_colour[i] = g.colour[i];
        return;
    }
    if (!vertices.empty() && (g.texture != texture || g.blend != blend))
        flush();
    texture = g.texture;
    blend = g.blend;

    // Texture coordinates exactly as CParticle::draw picks them.
    frame_rect f{0, 0, 1, 1};
    if (g.animation == 1)
        f = animation_frame(p->counter, g.frames_h, g.frames_v, g.anim_speed);

    // The turn display applies with glRotatef, in the same precision the GL computes it.
    const float turned = p->ang_pos * 360.0f;
    const float degrees = static_cast<float>(turned / 6.283);
    float sn = 0;
    float cs = 1;
    if (degrees != 0) {  // trail dots never turn: spare them the trigonometry
        const double radians = static_cast<double>(degrees) * PI / 180.0;
        sn = static_cast<float>(std::sin(radians));
        cs = static_cast<float>(std::cos(radians));
    }

    const float st[4][2] = {{f.s1, f.t1}, {f.s1, f.t0}, {f.s0, f.t0}, {f.s0, f.t1}};
    for (int i = 0; i < 4; ++i) {
        const CVector& c = g.geometry[i];
        vertices.push_back({st[i][0], st[i][1], g.colour[0], g.colour[1], g.colour[2], g.colour[3],
                            p->pos.x + cs * c.x - sn * c.y, p->pos.y + sn * c.x + cs * c.y, z});
    }
    for (int i = 0; i < 4; ++i)
        last_colour[i] = g.colour[i];
}

void CSpriteBatch::flush() {
    if (vertices.empty())
        return;
    glMatrixMode(GL_MODELVIEW);
    apply_blend(blend);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));

    draw_quads(vertices);

    // After a colour array the current colour is undefined; leave the last sprite's, as display does.
    glColor4fv(last_colour);
    bind_no_texture();
    vertices.clear();
    ++run_count;
}

void CSpriteBatch::draw_quads(const std::vector<vertex>& quads) {
    if (quads.empty())
        return;
    const GLsizei stride = sizeof(vertex);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, stride, &quads[0].s);
    glColorPointer(4, GL_FLOAT, stride, &quads[0].r);
    glVertexPointer(3, GL_FLOAT, stride, &quads[0].x);
    glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(quads.size()));
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}
