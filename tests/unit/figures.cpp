#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "general/figure.h"

namespace {

class Figures : public ::testing::Test {
  protected:
    void TearDown() override {
        while (!figures.empty())
            delete figures.front();
    }
};

void expect_corner(CFigure* f, int i, float x, float y) {
    SCOPED_TRACE("corner " + std::to_string(i));
    EXPECT_NEAR(f->triangles[i]->a.x, x, 1e-5f);
    EXPECT_NEAR(f->triangles[i]->a.y, y, 1e-5f);
}

// Triangle i runs from corner i to corner i + 1, the last one back to corner 0, and belongs to f.
void expect_closed_fan(CFigure* f) {
    ASSERT_EQ(static_cast<int>(f->triangles.size()), f->tri_num);
    for (int i = 0; i < f->tri_num; ++i) {
        CTri* t = f->triangles[i];
        CTri* next = f->triangles[(i + 1) % f->tri_num];
        EXPECT_EQ(t->par, f);
        EXPECT_EQ(t->b.x, next->a.x) << "triangle " << i;
        EXPECT_EQ(t->b.y, next->a.y) << "triangle " << i;
    }
}

void expect_factory_looks(CFigure* f) {
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(f->gfx.colour[i], 1.0f);
        EXPECT_EQ(f->gfx.o_colour[i], i == 3 ? 1.0f : 0.0f);
    }
    EXPECT_FALSE(f->gfx.outline);
    EXPECT_EQ(f->gfx.texture, -1);
    EXPECT_FALSE(f->props.immovable);
    EXPECT_EQ(f->props.gravity_multi, 1.0f);
    EXPECT_EQ(f->props.elasticity, 0.9f);
}

TEST_F(Figures, BoxHasItsCornersMassInertiaRadiusAndTexturingQuad) {
    CFigure* box = new_box(3, -2, 2, 1, 1);
    EXPECT_EQ(box->pos.x, 3.0f);
    EXPECT_EQ(box->pos.y, -2.0f);
    ASSERT_EQ(box->tri_num, 4);
    expect_corner(box, 0, -1, 0.5f);
    expect_corner(box, 1, 1, 0.5f);
    expect_corner(box, 2, 1, -0.5f);
    expect_corner(box, 3, -1, -0.5f);
    expect_closed_fan(box);
    EXPECT_NEAR(box->props.mass, 2.0f, 1e-6f);
    EXPECT_NEAR(box->props.inertia, 0.8333333f, 1e-6f);
    EXPECT_NEAR(box->props.radius, std::sqrt(5.0f) / 2, 1e-6f);
    expect_factory_looks(box);
    ASSERT_EQ(box->gfx.geometry.size(), 4u);
    EXPECT_EQ(box->gfx.geometry[0].x, 1.0f);
    EXPECT_EQ(box->gfx.geometry[0].y, 0.5f);
    EXPECT_EQ(box->gfx.geometry[1].y, -0.5f);
    EXPECT_EQ(box->gfx.geometry[2].x, -1.0f);
    EXPECT_EQ(box->gfx.geometry[3].y, 0.5f);
    // Depth is the shorter side: a 4 by 1 slab of density 2 weighs 2 * 4 * 1 * 1.
    CFigure* slab = new_box(0, 0, 4, 1, 2);
    EXPECT_NEAR(slab->props.mass, 8.0f, 1e-6f);
    EXPECT_NEAR(slab->props.inertia, 8.0f * 17 / 12, 1e-5f);
}

TEST_F(Figures, CircleHas32CornersFromTheRoundedTable) {
    CFigure* c = new_circle(1, 2, 1, 1);
    ASSERT_EQ(c->tri_num, 32);
    expect_corner(c, 0, 0, 1);
    expect_corner(c, 1, 0.191f, 0.982f);
    expect_corner(c, 4, 0.707f, 0.707f);
    expect_corner(c, 8, 1, 0);
    expect_corner(c, 9, 0.982f, -0.191f);
    expect_corner(c, 12, 0.707f, -0.707f);
    expect_corner(c, 16, 0, -1);
    expect_corner(c, 24, -1, 0);
    expect_corner(c, 31, -0.191f, 0.982f);
    expect_closed_fan(c);
    EXPECT_NEAR(c->props.mass, 4.1887f, 1e-4f);
    EXPECT_NEAR(c->props.inertia, 1.6755f, 1e-4f);
    EXPECT_EQ(c->props.radius, 1.0f);
    expect_factory_looks(c);
    ASSERT_EQ(c->gfx.geometry.size(), 4u);
    EXPECT_EQ(c->gfx.geometry[1].x, 1.0f);
    EXPECT_EQ(c->gfx.geometry[1].y, -1.0f);

    // Mass grows with the cube of the radius, inertia with the fifth power.
    CFigure* big = new_circle(0, 0, 2, 0.5f);
    expect_corner(big, 4, 1.414f, 1.414f);
    EXPECT_NEAR(big->props.mass, 0.5f * 4 * 3.1415f * 8 / 3, 1e-4f);
    EXPECT_NEAR(big->props.inertia, 0.5f * 3.1415f * 32 * 8 / 15, 1e-4f);
    EXPECT_EQ(big->props.radius, 2.0f);
}

TEST_F(Figures, TriangleClosesFromBottomRightToTopLeft) {
    CFigure* t = new_triangle(0, 0, 2, 2, 1);
    ASSERT_EQ(t->tri_num, 3);
    expect_corner(t, 0, -1, 1);
    expect_corner(t, 1, 1, 1);
    expect_corner(t, 2, 1, -1);
    EXPECT_EQ(t->triangles[2]->b.x, -1.0f);
    EXPECT_EQ(t->triangles[2]->b.y, 1.0f);
    expect_closed_fan(t);
    EXPECT_NEAR(t->props.mass, 8.0f, 1e-6f);
    EXPECT_NEAR(t->props.inertia, 5.333333f, 1e-5f);
    expect_factory_looks(t);
    EXPECT_TRUE(t->gfx.geometry.empty());
}

TEST_F(Figures, EachFigureIsListedOnceInOrderAndLeavesTheListWhenDeleted) {
    CFigure* a = new_box(0, 0, 1, 1, 1);
    CFigure* b = new_circle(0, 0, 1, 1);
    CFigure* c = new_triangle(0, 0, 1, 1, 1);
    ASSERT_EQ(figures.size(), 3u);
    EXPECT_EQ(figures.front(), a);
    EXPECT_EQ(*std::next(figures.begin()), b);
    EXPECT_EQ(figures.back(), c);
    EXPECT_EQ(std::count(figures.begin(), figures.end(), b), 1);
    delete b;
    ASSERT_EQ(figures.size(), 2u);
    EXPECT_EQ(figures.front(), a);
    EXPECT_EQ(figures.back(), c);
}

TEST_F(Figures, ConstructorStartsAtRestAndSetPhyFillsThePhysicalRecord) {
    float pts[5][2] = {{0, 2}, {2, 0}, {1, -2}, {-1, -2}, {-2, 0}};
    CFigure* f = new CFigure(4, 5, 5, pts);
    EXPECT_EQ(f->tri_num, 5);
    expect_corner(f, 3, -1, -2);
    expect_closed_fan(f);
    EXPECT_EQ(f->vel.x, 0.0f);
    EXPECT_EQ(f->vel.y, 0.0f);
    EXPECT_EQ(f->ang_pos, 0.0f);
    EXPECT_EQ(f->ang_vel, 0.0f);
    EXPECT_EQ(f->col_type, 0);
    EXPECT_EQ(f->type, 0);

    f->props.friction = 0.25f;
    f->props.radius = 7;
    f->set_phy(true, 0.5f, 0.3f, 2, 3);
    EXPECT_TRUE(f->props.immovable);
    EXPECT_EQ(f->props.gravity_multi, 0.5f);
    EXPECT_EQ(f->props.elasticity, 0.3f);
    EXPECT_EQ(f->props.mass, 2.0f);
    EXPECT_EQ(f->props.inertia, 3.0f);
    EXPECT_EQ(f->props.friction, 0.25f);
    EXPECT_EQ(f->props.radius, 7.0f);

    f->col_type = 2;
    f->reset();
    EXPECT_EQ(f->col_type, 0);
}

TEST_F(Figures, TooFewCornersMakeAnEmptyFigureThatStillTakesPart) {
    float one[1][2] = {{1, 1}};
    CFigure* f = new CFigure(0, 0, 1, one);
    CFigure* g = new CFigure(0, 0, 0, nullptr);
    EXPECT_EQ(f->tri_num, 0);
    EXPECT_TRUE(f->triangles.empty());
    EXPECT_EQ(g->tri_num, 0);
    EXPECT_EQ(figures.size(), 2u);
    CFigure* box = new_box(0, 0, 2, 2, 1);
    EXPECT_EQ(box->check_col(f), 0);
    EXPECT_EQ(f->check_col(box), 0);
}

}  // namespace
