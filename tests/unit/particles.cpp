#include <gtest/gtest.h>

#include <cmath>

#include "game/config/options.h"
#include "game/render/hud_images.h"
#include "game/sim/global.h"
#include "game/ui/menu_windows.h"
#include "general/particle.h"
#include "physics/physics.h"

namespace {

// Deletes and unlists whatever a test appended, so the list never holds a dead particle.
class Particles : public ::testing::Test {
  protected:
    size_t before = 0;
    void SetUp() override { before = particles.size(); }
    void TearDown() override {
        while (particles.size() > before) {
            delete particles.back();
            particles.pop_back();
        }
    }
};

TEST_F(Particles, GlobalBodiesAreTheFirstSevenEntriesInOrder) {
    // The reference and the function name the same list.
    EXPECT_EQ(&particles, &particle_list());
    ASSERT_GE(particles.size(), 7u);
    CParticle* expected[] = {&global::background, &global::clouds,  &global::star,   &global::shadow_1,
                             &global::shadow_2,   &global::planet1, &global::planet2};
    auto it = particles.begin();
    for (CParticle* body : expected)
        EXPECT_EQ(*it++, body);
}

TEST_F(Particles, GlobalBodiesHaveTheirPlacesAndSizes) {
    EXPECT_FLOAT_EQ(global::background.props.radius, 350);
    EXPECT_FLOAT_EQ(global::background.gfx.geometry[0].x, 200);
    EXPECT_FLOAT_EQ(global::background.gfx.geometry[0].y, 150);
    EXPECT_FLOAT_EQ(global::star.pos.x, 20);
    EXPECT_FLOAT_EQ(global::star.pos.y, 9);
    EXPECT_FLOAT_EQ(global::shadow_1.pos.x, -12);
    EXPECT_FLOAT_EQ(global::shadow_2.pos.x, 4);
    EXPECT_FLOAT_EQ(global::shadow_2.pos.y, -4);
    EXPECT_FLOAT_EQ(global::planet1.pos.x, -8);
    EXPECT_FLOAT_EQ(global::planet2.pos.x, 8);
    EXPECT_FLOAT_EQ(global::planet2.props.radius, 3);
    EXPECT_TRUE(global::planet2.gfx.geometry.empty());
    EXPECT_EQ(global::planet1.gfx.texture, -1);
}

TEST_F(Particles, GameStartsOnTheTitleScreen) {
    EXPECT_FLOAT_EQ(global::LPS, 100);
    EXPECT_FLOAT_EQ(global::camera[2], -20);
    EXPECT_FLOAT_EQ(global::white[3], 1);
    EXPECT_EQ(global::game_state, global::HIDDEN);
    EXPECT_EQ(global::menu_state, global::MAIN);
    EXPECT_EQ(global::players, global::SINGLE);
    EXPECT_EQ(global::difficulty, global::MEDIUM);
    EXPECT_TRUE(global::zooming);
    EXPECT_EQ(global::counter, 0);
    EXPECT_EQ(global::station1, nullptr);
    EXPECT_EQ(global::main_menu, nullptr);
    EXPECT_FALSE(global::options.fullscreen);
    EXPECT_EQ(global::options.width, 0);
    // Width before height in the constructor; the noise panel and the logo.
    EXPECT_FLOAT_EQ(global::noise.x, 830);
    EXPECT_FLOAT_EQ(global::noise.w, 165);
    EXPECT_FLOAT_EQ(global::noise.h, 105);
    EXPECT_FLOAT_EQ(global::logo.w, 500);
    EXPECT_FLOAT_EQ(global::logo.h, 86);
    EXPECT_FLOAT_EQ(global::left_one.x, -1);
    EXPECT_FLOAT_EQ(global::menu_planet2.w, 512);
}

TEST_F(Particles, ConstructorsSetDefaultsAndAppend) {
    CParticle* p = new CParticle(1, 2, 0.5f);
    EXPECT_EQ(particles.back(), p);
    EXPECT_FLOAT_EQ(p->pos.x, 1);
    EXPECT_FLOAT_EQ(p->pos.y, 2);
    EXPECT_FLOAT_EQ(p->vel.x, 0);
    EXPECT_FLOAT_EQ(p->props.radius, 0.5f);
    EXPECT_TRUE(p->gfx.geometry.empty());
    EXPECT_EQ(p->gfx.texture, -1);
    EXPECT_EQ(p->gfx.animation, 0);
    EXPECT_EQ(p->gfx.blend, ALPHA);
    EXPECT_EQ(p->type, global::DEFAULT);
    EXPECT_EQ(p->counter, 0);
    EXPECT_FALSE(p->ang_from_dir);
    EXPECT_FALSE(p->props.immovable);

    CParticle* r = new CParticle(0, 0, 4, 2);
    EXPECT_EQ(particles.back(), r);
    EXPECT_FLOAT_EQ(r->props.radius, 3);  // the mean of the sides, not of the half sides
    ASSERT_EQ(r->gfx.geometry.size(), 4u);
    float corners[4][2] = {{2, 1}, {2, -1}, {-2, -1}, {-2, 1}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(r->gfx.geometry[i].x, corners[i][0]) << i;
        EXPECT_FLOAT_EQ(r->gfx.geometry[i].y, corners[i][1]) << i;
    }
}

TEST_F(Particles, SpriteSetUpKeepsItsFirstCorners) {
    CParticle* p = new CParticle(0, 0, 0.2f);
    float col[4] = {0.1f, 0.2f, 0.3f, 0.4f};
    p->set_gfx(7, col, ADD);
    col[0] = 0.9f;  // the particle keeps its own copy
    EXPECT_FLOAT_EQ(p->gfx.colour[0], 0.1f);
    EXPECT_FLOAT_EQ(p->gfx.colour[3], 0.4f);
    EXPECT_EQ(p->gfx.texture, 7);
    EXPECT_EQ(p->gfx.blend, ADD);
    EXPECT_EQ(p->gfx.animation, 0);
    ASSERT_EQ(p->gfx.geometry.size(), 4u);
    EXPECT_FLOAT_EQ(p->gfx.geometry[1].x, 0.2f);
    EXPECT_FLOAT_EQ(p->gfx.geometry[1].y, -0.2f);
    EXPECT_FLOAT_EQ(p->gfx.geometry[3].x, -0.2f);
    EXPECT_FLOAT_EQ(p->gfx.geometry[3].y, 0.2f);

    p->props.radius = 5;
    p->set_gfx(8, col, ALPHA);
    EXPECT_EQ(p->gfx.geometry.size(), 4u);
    EXPECT_FLOAT_EQ(p->gfx.geometry[0].x, 0.2f);
    EXPECT_EQ(p->gfx.texture, 8);

    p->set_anim(2, 4, 3);
    EXPECT_EQ(p->gfx.animation, 1);
    EXPECT_EQ(p->gfx.frames_v, 2);
    EXPECT_EQ(p->gfx.frames_h, 4);
    EXPECT_EQ(p->gfx.anim_speed, 3);
}

TEST_F(Particles, UpdateFacesAlongTheVelocityWithItsOwnConstant) {
    CParticle* p = new CParticle(0, 0, 1);
    p->ang_from_dir = true;
    p->vel = CVector(0, 1);
    p->update();
    // 1.57075 is a little less than pi / 2, so facing straight up is not exactly 0.
    EXPECT_NEAR(p->ang_pos, 1.5707963f - 1.57075f, 1e-6);
    EXPECT_GT(p->ang_pos, 0);
    EXPECT_FLOAT_EQ(p->pos.y, 1);

    p->vel = CVector(0, 0);
    p->update();
    EXPECT_FLOAT_EQ(p->ang_pos, -1.57075f);

    p->vel = CVector(-1, 0);
    p->update();
    EXPECT_NEAR(p->ang_pos, 3.14159265f - 1.57075f, 1e-5);
}

TEST_F(Particles, UpdateMovesSpinsAndWrapsTheAngle) {
    CParticle* p = new CParticle(1, 1, 1);
    p->vel = CVector(0.5f, -0.25f);
    p->ang_vel = 0.1f;
    p->update();
    EXPECT_FLOAT_EQ(p->pos.x, 1.5f);
    EXPECT_FLOAT_EQ(p->pos.y, 0.75f);
    EXPECT_FLOAT_EQ(p->ang_pos, 0.1f);

    p->vel = CVector(0, 0);
    p->ang_vel = 0;
    p->ang_pos = 6.3f;
    p->update();
    EXPECT_NEAR(p->ang_pos, 0.0169f, 1e-5);
    p->ang_pos = -7.0f;
    p->update();
    EXPECT_NEAR(p->ang_pos, -0.7169f, 1e-5);
    // The wrap uses 6.2831, not 2 pi: just below it nothing changes, and the sign is kept.
    p->ang_pos = 6.283f;
    p->update();
    EXPECT_FLOAT_EQ(p->ang_pos, 6.283f);
    p->ang_pos = 20.0f;
    p->update();
    EXPECT_FLOAT_EQ(p->ang_pos, static_cast<float>(20.0f - 3 * 6.2831));
    // A huge angle wraps too rather than overflowing an integer quotient.
    p->ang_pos = 1e12f;
    p->update();
    EXPECT_LT(std::fabs(p->ang_pos), 6.2831f);
}

TEST_F(Particles, ImmovableBodiesOnlyTurnToFaceTheirVelocity) {
    CParticle* p = new CParticle(3, 4, 1);
    p->props.immovable = true;
    p->vel = CVector(1, 1);
    p->ang_vel = 0.5f;
    p->ang_pos = 0.25f;
    p->update();
    EXPECT_FLOAT_EQ(p->pos.x, 3);
    EXPECT_FLOAT_EQ(p->pos.y, 4);
    EXPECT_FLOAT_EQ(p->ang_pos, 0.25f);
    p->ang_from_dir = true;
    p->update();
    EXPECT_FLOAT_EQ(p->pos.x, 3);
    EXPECT_NEAR(p->ang_pos, 0.78539816f - 1.57075f, 1e-6);
}

TEST(Physics, GravityConstant) {
    EXPECT_FLOAT_EQ(CPhysics::grav(), -0.002f);
}

}  // namespace
