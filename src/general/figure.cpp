#include "general/figure.h"

#include <algorithm>

std::list<CFigure*> figures;

namespace {
// The factories' looks: white, no texture, no outline, black outline colour. Kept here rather than
// built with color() so that every factory call does not leave two arrays behind.
float white[4] = {1, 1, 1, 1};
float black[4] = {0, 0, 0, 1};
}  // namespace

CFigure::CFigure(float a, float b, int n, float (*pts)[2])
    : gfx(),
      props(),
      col_type(0),
      col_points{CVector(0, 0), CVector(0, 0)},
      pos(a, b),
      vel(0, 0),
      ang_vel(0),
      ang_pos(0),
      tri_num(0),
      type(0) {
    gfx.texture = -1;
    gfx.blend = ALPHA;
    for (int i = 0; i < 4; ++i) {
        gfx.colour[i] = white[i];
        gfx.o_colour[i] = black[i];
    }
    if (pts != nullptr && n >= 2) {
        tri_num = n;
        triangles.reserve(n);
        for (int i = 0; i < n; ++i) {
            int next = (i + 1) % n;
            triangles.push_back(new CTri(pts[i][0], pts[i][1], pts[next][0], pts[next][1], this));
        }
    }
    figures.push_back(this);
}

CFigure::~CFigure() {
    for (CTri* t : triangles)
        delete t;
    triangles.clear();
    auto it = std::find(figures.begin(), figures.end(), this);
    if (it != figures.end())
        figures.erase(it);
}

void CFigure::set_phy(bool s, float a, float b, float m, float i) {
    props.immovable = s;
    props.gravity_multi = a;
    props.elasticity = b;
    props.mass = m;
    props.inertia = i;
}

void CFigure::reset() {
    col_type = 0;
}

CFigure* new_circle(float a, float b, float r, float density) {
    // Sines of 0, 11.25, ..., 90 degrees as the circle has always been drawn: 0.191 and 0.39 stand
    // where exact values would be 0.195 and 0.383.
    static const float t[9] = {0, 0.191f, 0.39f, 0.559f, 0.707f, 0.829f, 0.925f, 0.982f, 1};
    float corners[32][2];
    for (int k = 0; k <= 8; ++k) {
        corners[k][0] = r * t[k];
        corners[k][1] = r * t[8 - k];
    }
    for (int k = 9; k <= 16; ++k) {
        corners[k][0] = r * t[16 - k];
        corners[k][1] = -r * t[k - 8];
    }
    for (int k = 17; k < 32; ++k) {
        corners[k][0] = -corners[32 - k][0];
        corners[k][1] = corners[32 - k][1];
    }
    CFigure* fig = new CFigure(a, b, 32, corners);
    long double rr = r;
    long double i = density * 3.1415L * rr * rr * rr * rr * rr * 8 / 15;
    long double m = density * 4 * 3.1415L * rr * rr * rr / 3;
    fig->set_phy(false, 1.0f, 0.9f, static_cast<float>(m), static_cast<float>(i));
    fig->props.radius = r;
    fig->set_gfx(-1, white, false, black);
    fig->gfx.geometry = {CVector(r, r), CVector(r, -r), CVector(-r, -r), CVector(-r, r)};
    return fig;
}

namespace {
// A slab as deep as its shorter side: mass and moment of inertia of boxes and triangles alike.
void slab_physics(CFigure* fig, float a, float b, float density) {
    long double m = static_cast<long double>(density) * a * b * min(a, b);
    long double i = m * (static_cast<long double>(a) * a + static_cast<long double>(b) * b) / 12;
    fig->set_phy(false, 1.0f, 0.9f, static_cast<float>(m), static_cast<float>(i));
}
}  // namespace

CFigure* new_box(float x, float y, float a, float b, float density) {
    float corners[4][2] = {{-a / 2, b / 2}, {a / 2, b / 2}, {a / 2, -b / 2}, {-a / 2, -b / 2}};
    CFigure* fig = new CFigure(x, y, 4, corners);
    slab_physics(fig, a, b, density);
    fig->props.radius = fig->triangles[0]->a.len();
    fig->set_gfx(-1, white, false, black);
    fig->gfx.geometry = {CVector(a / 2, b / 2), CVector(a / 2, -b / 2), CVector(-a / 2, -b / 2),
                         CVector(-a / 2, b / 2)};
    return fig;
}

CFigure* new_triangle(float x, float y, float a, float b, float density) {
    float corners[3][2] = {{-a / 2, b / 2}, {a / 2, b / 2}, {a / 2, -b / 2}};
    CFigure* fig = new CFigure(x, y, 3, corners);
    slab_physics(fig, a, b, density);
    fig->set_gfx(-1, white, false, black);
    return fig;
}
