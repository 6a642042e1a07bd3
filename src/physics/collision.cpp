#include <cmath>

#include "general/figure.h"
#include "physics/physics.h"

namespace {

// Stepping back twice a step's motion frees any corner that entered during this step; a pair
// still overlapping after that was overlapping before (or does not move at all).
constexpr int MAX_BACK_OFF = 20;
// Each separated penetration starts a fresh search; this keeps a pair that cannot be freed (two
// immovable figures, say) from searching forever.
constexpr int MAX_SEARCH_DEPTH = 32;

void step_back(CFigure* f) {
    f->pos = f->pos - f->vel / 10;
    f->ang_pos = f->ang_pos - f->ang_vel / 10;
}

struct saved_place {
    CVector pos;
    float ang_pos;
};

saved_place save(CFigure* f) {
    return {f->pos, f->ang_pos};
}

void restore(CFigure* f, const saved_place& s) {
    f->pos = s.pos;
    f->ang_pos = s.ang_pos;
}

// Moves the corner at world point `corner` out of triangle `tri` across its outer edge, shifting
// whichever of the two figures may move (half each when both can).
void push_apart(CTri* tri, CFigure* corner_owner, CVector corner) {
    CFigure* owner = tri->par;
    CVector ea = owner->pos + tri->a.rotate(owner->ang_pos);
    CVector eb = owner->pos + tri->b.rotate(owner->ang_pos);
    CVector edge(ea, eb);
    float length = edge.len();
    if (!(length > 0) || !std::isfinite(length))
        return;
    CVector n = CVector(-edge.y, edge.x) / length;
    if (n * CVector(owner->pos, ea) < 0)
        n = n * -1.0f;
    float depth = CVector(corner, ea) * n;
    if (!std::isfinite(depth))
        return;
    float margin = 1e-4f + 1e-6f * (std::fabs(corner.x) + std::fabs(corner.y));
    float shift = depth + margin;
    bool corner_moves = !corner_owner->props.immovable;
    bool owner_moves = !owner->props.immovable;
    if (corner_moves && owner_moves) {
        corner_owner->pos = corner_owner->pos + n * (shift / 2);
        owner->pos = owner->pos - n * (shift / 2);
    } else if (corner_moves) {
        corner_owner->pos = corner_owner->pos + n * shift;
    } else if (owner_moves) {
        owner->pos = owner->pos - n * shift;
    }
}

// Steps both figures back until the corner (a world point, asked again after each step) is out of
// `tri`. When stepping back cannot free it, both go back to where they were and the corner is pushed
// out instead. True when the corner ends up outside.
template <typename Corner>
bool back_off(CFigure* A, CFigure* B, CTri* tri, CFigure* corner_owner, Corner corner) {
    const saved_place a0 = save(A), b0 = save(B);
    int steps = 0;
    while (tri->check_col(corner()) && steps < MAX_BACK_OFF) {
        step_back(A);
        step_back(B);
        ++steps;
    }
    if (!tri->check_col(corner()))
        return true;
    restore(A, a0);
    restore(B, b0);
    push_apart(tri, corner_owner, corner());
    return !tri->check_col(corner());
}

}  // namespace

bool CTri::check_col(CVector vec) {
    CVector point = vec - par->pos;
    CVector a_tran = a.rotate(par->ang_pos);
    CVector b_tran = b.rotate(par->ang_pos);
    float dot00 = a_tran * a_tran;
    float dot01 = a_tran * b_tran;
    float dot02 = a_tran * point;
    float dot11 = b_tran * b_tran;
    float dot12 = b_tran * point;
    float denom = dot00 * dot11 - dot01 * dot01;
    // A triangle without area contains nothing.
    if (denom == 0)
        return false;
    float inv_denom = 1 / denom;
    float u = (dot11 * dot02 - dot01 * dot12) * inv_denom;
    float v = (dot00 * dot12 - dot01 * dot02) * inv_denom;
    return u > 0 && v > 0 && u + v < 1;
}

int CFigure::check_col(CFigure* fig) {
    return check_col(fig, 0);
}

int CFigure::check_col(CFigure* fig, int depth) {
    if (fig == nullptr || fig == this)
        return 0;
    CFigure* A = this;
    CFigure* B = fig;
    for (int i = 0; i < A->tri_num; ++i) {
        CTri* ta = A->triangles[i];
        for (int j = 0; j < B->tri_num; ++j) {
            CTri* tb = B->triangles[j];
            // B's corner j keeps the turn it has now for the whole back-off.
            CVector p = tb->a.rotate(B->ang_pos);
            if (ta->check_col(p + B->pos)) {
                const bool freed = back_off(A, B, ta, B, [&] { return p + B->pos; });
                A->col_type = 2;
                A->col_points[0] = ta->a;
                A->col_points[1] = ta->b;
                B->col_type = 1;
                B->col_points[0] = tb->a;
                if (!freed || depth >= MAX_SEARCH_DEPTH)
                    return 2;
                int r = check_col(fig, depth + 1);
                return r != 0 ? r : 2;
            }
            auto corner_of_a = [&]() { return ta->a.rotate(A->ang_pos) + A->pos; };
            if (tb->check_col(corner_of_a())) {
                const bool freed = back_off(A, B, tb, A, corner_of_a);
                A->col_type = 1;
                A->col_points[0] = ta->a;
                B->col_type = 2;
                B->col_points[0] = tb->a;
                B->col_points[1] = tb->b;
                if (!freed || depth >= MAX_SEARCH_DEPTH)
                    return 1;
                int r = check_col(fig, depth + 1);
                return r != 0 ? r : 1;
            }
        }
    }
    return 0;
}

void CFigure::solve_col(CFigure* fig) {
    if (fig == nullptr || fig == this)
        return;
    CFigure* A = this;
    CFigure* B = fig;
    float e = A->props.elasticity * B->props.elasticity;
    CVector bp = B->col_points[0].rotate(B->ang_pos);
    CVector ap = bp + B->pos - A->pos;
    CVector app(-ap.y, ap.x);
    CVector bpp(-bp.y, bp.x);
    CVector vap = A->vel + app * A->ang_vel;
    CVector vbp = B->vel + bpp * B->ang_vel;
    CVector ba = vbp - vap;
    CVector wall = A->col_points[0].rotate(A->ang_pos) - A->col_points[1].rotate(A->ang_pos);
    // An edge of no length has no normal.
    if (!(wall.len() > 0))
        return;
    CVector n = CVector(-wall.y, wall.x).norm();
    float an = app * n;
    float bn = bpp * n;
    float d;
    if (A->props.immovable)
        d = (n * (1 / B->props.mass)) * n + bn * bn / B->props.inertia;
    else if (B->props.immovable)
        d = (n * (1 / A->props.mass)) * n + an * an / A->props.inertia;
    else
        d = (n * (1 / B->props.mass + 1 / A->props.mass)) * n + an * an / A->props.inertia +
            bn * bn / B->props.inertia;
    float j = ((ba * (e + 1)) * n) / d;
    CVector dv_a = n * (j / A->props.mass);
    float dw_a = (app * (n * j)) / A->props.inertia;
    CVector dv_b = n * (j / B->props.mass);
    float dw_b = (bpp * (n * j)) / B->props.inertia;
    // Zero or invalid masses would spread non-finite values into the figures' state for good.
    bool a_ok = A->props.immovable || (std::isfinite(dv_a.x) && std::isfinite(dv_a.y) && std::isfinite(dw_a));
    bool b_ok = B->props.immovable || (std::isfinite(dv_b.x) && std::isfinite(dv_b.y) && std::isfinite(dw_b));
    if (!std::isfinite(j) || !a_ok || !b_ok)
        return;
    if (!A->props.immovable) {
        A->vel = A->vel + dv_a;
        A->ang_vel = A->ang_vel + dw_a;
    }
    if (!B->props.immovable) {
        B->vel = B->vel - dv_b;
        B->ang_vel = B->ang_vel - dw_b;
    }
}

void CFigure::update() {
    if (props.immovable)
        return;
    vel.y = vel.y + CPhysics::grav() * props.gravity_multi;
    pos.x += vel.x;
    pos.y += vel.y;
    ang_pos += ang_vel;
    double k = std::trunc(static_cast<double>(ang_pos) / 6.2831);
    ang_pos = static_cast<float>(ang_pos - k * 6.2831);
    for (CFigure* f : figures) {
        if (f == this)
            continue;
        int col = check_col(f);
        if (col == 2)
            solve_col(f);
        else if (col == 1)
            f->solve_col(this);
    }
}
