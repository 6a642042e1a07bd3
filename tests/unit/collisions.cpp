#include <gtest/gtest.h>

#include <cmath>

#include "general/figure.h"
#include "physics/physics.h"

namespace {

class Collisions : public ::testing::Test {
  protected:
    void TearDown() override {
        while (!figures.empty())
            delete figures.front();
    }
};

CVector corner_in_world(CFigure* f, int i) {
    return f->triangles[i]->a.rotate(f->ang_pos) + f->pos;
}

bool inside(CFigure* f, CVector p) {
    for (CTri* t : f->triangles)
        if (t->check_col(p))
            return true;
    return false;
}

// True when a corner of either figure lies inside the other.
bool overlapping(CFigure* a, CFigure* b) {
    for (int i = 0; i < a->tri_num; ++i)
        if (inside(b, corner_in_world(a, i)))
            return true;
    for (int i = 0; i < b->tri_num; ++i)
        if (inside(a, corner_in_world(b, i)))
            return true;
    return false;
}

// A diamond standing on its bottom corner (0, -1): hits straight below its centre, so it takes no spin.
CFigure* new_diamond(float x, float y) {
    float pts[4][2] = {{0, 1}, {1, 0}, {0, -1}, {-1, 0}};
    CFigure* f = new CFigure(x, y, 4, pts);
    f->set_phy(false, 1.0f, 0.9f, 1, 1);
    return f;
}

// 10 wide, top surface at y = 1.
CFigure* new_floor() {
    CFigure* floor = new_box(0, 0, 10, 2, 1);
    floor->set_phy(true, 1.0f, 0.9f, floor->props.mass, floor->props.inertia);
    return floor;
}

TEST_F(Collisions, PointsOnTheCentreOrOnAnyEdgeAreOutside) {
    CFigure* box = new_box(0, 0, 2, 1, 1);
    CTri* top = box->triangles[0];
    EXPECT_TRUE(top->check_col(CVector(0, 0.4f)));
    EXPECT_FALSE(top->check_col(CVector(0, 0)));          // the centre
    EXPECT_FALSE(top->check_col(CVector(0, 0.5f)));       // the outer edge
    EXPECT_FALSE(top->check_col(CVector(0.5f, 0.25f)));   // the fan edge to corner 1
    EXPECT_FALSE(top->check_col(CVector(-0.5f, 0.25f)));  // the fan edge to corner 0
    EXPECT_FALSE(top->check_col(CVector(0, 0.6f)));
    for (CTri* t : box->triangles) {
        EXPECT_FALSE(t->check_col(CVector(0, 0)));
        EXPECT_FALSE(t->check_col(CVector(1, 0.5f)));  // a corner
    }
    // A triangle without area contains nothing.
    CTri flat(1, 0, 2, 0, box);
    EXPECT_FALSE(flat.check_col(CVector(1.5f, 0)));
    EXPECT_FALSE(flat.check_col(CVector(1.5f, 0.1f)));
}

TEST_F(Collisions, TheTestFollowsTheFiguresPositionAndTurn) {
    CFigure* box = new_box(5, 5, 2, 1, 1);
    box->ang_pos = 1.5707963f;
    CTri* top = box->triangles[0];
    // The top triangle turned a quarter counter-clockwise now points to the left.
    EXPECT_TRUE(top->check_col(CVector(4.6f, 5)));
    EXPECT_FALSE(top->check_col(CVector(5, 5.4f)));
    EXPECT_FALSE(top->check_col(CVector(5.4f, 5)));
}

TEST_F(Collisions, MovableCornerInAnImmovableFigureIsBackedOffRecordedAndBouncedOutward) {
    CFigure* floor = new_floor();
    CFigure* box = new_box(0.2f, 1.55f, 1, 1, 1);
    box->vel = CVector(0, -0.1f);
    box->update();  // ends the step with its bottom corners at y 0.948, inside the floor

    // update found the contact as result 1 and had the floor solve it.
    EXPECT_EQ(box->col_type, 1);
    EXPECT_EQ(box->col_points[0].x, 0.5f);
    EXPECT_EQ(box->col_points[0].y, -0.5f);
    EXPECT_EQ(floor->col_type, 2);
    EXPECT_EQ(floor->col_points[0].x, -5.0f);
    EXPECT_EQ(floor->col_points[0].y, 1.0f);
    EXPECT_EQ(floor->col_points[1].x, 5.0f);
    EXPECT_EQ(floor->col_points[1].y, 1.0f);
    // Backed off in tenths of the step until the corner left the floor.
    EXPECT_GE(box->pos.y, 1.5f);
    EXPECT_LE(box->pos.y, 1.5f + 0.0103f);
    EXPECT_FALSE(overlapping(box, floor));

    // The floor did not move; its normal (0, -1) points into it; e = 0.81.
    EXPECT_EQ(floor->pos.x, 0.0f);
    EXPECT_EQ(floor->pos.y, 0.0f);
    EXPECT_EQ(floor->vel.x, 0.0f);
    EXPECT_EQ(floor->vel.y, 0.0f);
    EXPECT_EQ(floor->ang_vel, 0.0f);
    // j = 1.81 * 0.102 / (1 / m + (bpp . n)^2 / I) with m = 1, I = 1/6, bpp . n = -0.5.
    float j = 1.81f * 0.102f / (1 + 0.25f * 6);
    EXPECT_NEAR(box->vel.y, -0.102f + j, 1e-5f);
    EXPECT_NEAR(box->vel.x, 0.0f, 1e-6f);
    EXPECT_NEAR(box->ang_vel, 0.5f * j * 6, 1e-4f);
    // The hit corner's own velocity into the floor comes back out at 0.81 of its speed.
    float corner_vy = box->vel.y + 0.5f * box->ang_vel;
    EXPECT_NEAR(corner_vy, 0.81f * 0.102f, 1e-4f);
}

TEST_F(Collisions, CornerBelowTheCentreBouncesStraightBack) {
    CFigure* floor = new_floor();
    CFigure* d = new_diamond(1, 2.05f);
    d->vel = CVector(0, -0.1f);
    EXPECT_EQ(d->col_type, 0);
    d->update();
    EXPECT_EQ(d->col_type, 1);
    EXPECT_EQ(d->col_points[0].y, -1.0f);
    EXPECT_EQ(floor->col_type, 2);
    EXPECT_NEAR(d->vel.y, 0.81f * 0.102f, 1e-5f);
    EXPECT_NEAR(d->vel.x, 0.0f, 1e-6f);
    EXPECT_NEAR(d->ang_vel, 0.0f, 1e-6f);
    EXPECT_EQ(floor->vel.y, 0.0f);
}

TEST_F(Collisions, TwoMovableFiguresShareTheImpulse) {
    // Equal masses meeting head on along the normal swap the closing speed scaled by e.
    CFigure* below = new_diamond(0, 0);
    below->set_phy(false, 0, 0.9f, 1, 1);
    CFigure* above = new_diamond(0, 1.9f);
    above->set_phy(false, 0, 0.9f, 1, 1);
    above->ang_pos = 0.7853982f;  // a box on its side: its flat bottom meets below's top corner
    above->pos = CVector(0, 1 + 0.7071f - 0.02f);
    above->vel = CVector(0, -0.05f);
    below->vel = CVector(0, 0.05f);
    int r = above->check_col(below);
    ASSERT_NE(r, 0);
    if (r == 2)
        above->solve_col(below);
    else
        below->solve_col(above);
    EXPECT_FALSE(overlapping(above, below));
    EXPECT_NEAR(above->vel.y + below->vel.y, 0.0f, 1e-5f);  // momentum kept
    EXPECT_NEAR(above->vel.y - below->vel.y, 0.81f * 0.1f, 1e-4f);
}

TEST_F(Collisions, FiguresApartAreLeftAlone) {
    CFigure* a = new_box(0, 0, 2, 2, 1);
    CFigure* b = new_box(2.5f, 0.5f, 2, 2, 1);
    a->col_type = 2;
    b->col_type = 1;
    b->vel = CVector(-0.1f, 0);
    b->ang_vel = 0.01f;
    EXPECT_EQ(a->check_col(b), 0);
    EXPECT_EQ(b->check_col(a), 0);
    EXPECT_EQ(a->col_type, 2);
    EXPECT_EQ(b->col_type, 1);
    EXPECT_EQ(a->pos.x, 0.0f);
    EXPECT_EQ(b->pos.x, 2.5f);
    EXPECT_EQ(b->pos.y, 0.5f);
    EXPECT_EQ(b->vel.x, -0.1f);
    EXPECT_EQ(b->ang_vel, 0.01f);
    // Touching edges do not count either.
    CFigure* c = new_box(0, 2, 2, 2, 1);
    EXPECT_EQ(a->check_col(c), 0);
}

TEST_F(Collisions, GravityPullsEachStepByItsMultiplier) {
    CFigure* f = new_box(0, 10, 1, 1, 1);
    CFigure* light = new_box(5, 10, 1, 1, 1);
    light->props.gravity_multi = 0.5f;
    CFigure* fixed = new_box(-5, 10, 1, 1, 1);
    fixed->props.immovable = true;
    f->vel.x = 0.01f;
    f->ang_vel = 0.1f;
    float y = 10;
    for (int step = 1; step <= 3; ++step) {
        f->update();
        light->update();
        fixed->update();
        y += -0.002f * step;
        EXPECT_NEAR(f->vel.y, -0.002f * step, 1e-7f);
        EXPECT_NEAR(f->pos.y, y, 1e-5f);
        EXPECT_NEAR(light->vel.y, -0.001f * step, 1e-7f);
    }
    EXPECT_NEAR(f->pos.x, 0.03f, 1e-6f);
    EXPECT_NEAR(f->ang_pos, 0.3f, 1e-6f);
    EXPECT_EQ(fixed->pos.y, 10.0f);
    EXPECT_EQ(fixed->vel.y, 0.0f);
    // Angles wrap by 6.2831 like particles'.
    f->ang_pos = 6.25f;
    f->update();
    EXPECT_NEAR(f->ang_pos, 6.35f - 6.2831f, 1e-5f);
}

// Overlaps that stepping back cannot undo: figures at rest, or moving apart while still inside.
TEST_F(Collisions, BackOffIsBoundedAndPushesApartAlongTheHitEdgesNormal) {
    {
        SCOPED_TRACE("movable at rest in an immovable floor");
        CFigure* floor = new_floor();
        CFigure* d = new_diamond(2, 1.7f);  // bottom corner 0.3 deep
        EXPECT_EQ(d->check_col(floor), 1);
        EXPECT_FALSE(overlapping(d, floor));
        EXPECT_NEAR(d->pos.y, 2.0f, 1e-3f);
        EXPECT_GE(d->pos.y, 2.0f);
        EXPECT_EQ(d->pos.x, 2.0f);
        EXPECT_EQ(floor->pos.y, 0.0f);
        EXPECT_EQ(d->col_type, 1);
        EXPECT_EQ(floor->col_type, 2);
        delete d;
        delete floor;
    }
    {
        SCOPED_TRACE("both movable at rest: each moves half the way");
        CFigure* base = new_box(0, 0, 10, 2, 1);
        CFigure* d = new_diamond(0, 1.8f);
        EXPECT_EQ(base->check_col(d), 2);
        EXPECT_FALSE(overlapping(d, base));
        EXPECT_NEAR(d->pos.y - 1.8f, 0.1f, 1e-3f);
        EXPECT_NEAR(base->pos.y, -0.1f, 1e-3f);
        EXPECT_EQ(d->vel.y, 0.0f);
        EXPECT_EQ(base->vel.y, 0.0f);
        delete d;
        delete base;
    }
    {
        SCOPED_TRACE("moving apart while inside: not dragged back in");
        CFigure* floor = new_floor();
        CFigure* d = new_diamond(0, 1.7f);
        d->vel = CVector(0, 0.01f);
        EXPECT_EQ(d->check_col(floor), 1);
        EXPECT_FALSE(overlapping(d, floor));
        EXPECT_NEAR(d->pos.y, 2.0f, 1e-3f);
        delete d;
        delete floor;
    }
    {
        SCOPED_TRACE("two immovable figures: contact recorded, nothing moves");
        CFigure* a = new_floor();
        CFigure* b = new_floor();
        b->pos = CVector(1, 0.5f);
        int r = a->check_col(b);
        EXPECT_NE(r, 0);
        EXPECT_EQ(a->pos.x, 0.0f);
        EXPECT_EQ(b->pos.x, 1.0f);
        EXPECT_EQ(b->pos.y, 0.5f);
        EXPECT_NE(a->col_type, 0);
        EXPECT_NE(b->col_type, 0);
    }
}

TEST_F(Collisions, ZeroMassGivesNoImpulseInsteadOfNonFiniteVelocities) {
    CFigure* floor = new_floor();
    CFigure* d = new_diamond(0, 2.05f);
    d->props.mass = 0;
    d->props.inertia = 0;
    d->vel = CVector(0, -0.1f);
    d->update();
    EXPECT_TRUE(std::isfinite(d->vel.y));
    EXPECT_TRUE(std::isfinite(d->ang_vel));
    EXPECT_TRUE(std::isfinite(d->pos.y));
    EXPECT_FALSE(overlapping(d, floor));
}

TEST_F(Collisions, BoxDroppedOnAFloorNeverSinksBelowItsTopSurface) {
    CFigure* floor = new_box(0, 0, 20, 2, 1);
    floor->set_phy(true, 1.0f, 0.9f, floor->props.mass, floor->props.inertia);
    CFigure* box = new_box(0.3f, 4, 1, 1, 1);
    box->ang_pos = 0.3f;
    box->ang_vel = 0.01f;
    float lowest_ever = 100;
    for (int step = 0; step < 2000; ++step) {
        box->update();
        for (int i = 0; i < 4; ++i) {
            CVector c = corner_in_world(box, i);
            lowest_ever = std::min(lowest_ever, c.y);
            ASSERT_GE(c.y, 1.0f - 1e-4f) << "step " << step << " corner " << i;
            ASSERT_TRUE(std::isfinite(c.x));
        }
    }
    // It came down and stayed on the floor rather than bouncing away.
    EXPECT_LT(lowest_ever, 1.01f);
    EXPECT_LT(box->pos.y, 1 + 0.75f);
    EXPECT_LT(std::fabs(box->pos.x), 10.0f);
}

}  // namespace
