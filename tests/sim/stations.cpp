#include <cmath>

#include "board.h"

using namespace sim_board;
using global::CStation;

namespace {

class Stations : public Board {};

TEST_F(Stations, RideTheirPlanetAtFiveUnits) {
    CStation* s = global::station2;
    s->particle->ang_pos = 0;
    s->update();
    EXPECT_NEAR(s->particle->pos.x, 8, 1e-3);
    EXPECT_NEAR(s->particle->pos.y, 5, 1e-4);
    s->particle->ang_pos = 3.1415f;
    s->update();
    EXPECT_NEAR(s->particle->pos.x, 8, 1e-3);
    EXPECT_NEAR(s->particle->pos.y, -5, 1e-4);
    s->particle->ang_pos = 3.1415f / 2;
    s->update();
    // A quarter turn counter-clockwise from the top is the left side of the planet.
    EXPECT_NEAR(s->particle->pos.x, 3, 1e-3);
    EXPECT_NEAR(s->particle->pos.y, 0, 1e-3);
}

TEST_F(Stations, AimTurnsAndWrapsKeepingItsSign) {
    CStation* s = global::station1;
    s->cw = true;
    s->update();
    EXPECT_NEAR(s->aim, -0.03f, 1e-6);
    s->ccw = true;
    s->update();
    EXPECT_NEAR(s->aim, -0.03f, 1e-6);
    s->cw = false;
    s->ccw = false;
    s->aim = 6.3f;
    s->update();
    EXPECT_NEAR(s->aim, 0.0169f, 1e-5);
    s->aim = -6.3f;
    s->update();
    EXPECT_NEAR(s->aim, -0.0169f, 1e-5);
}

TEST_F(Stations, FullChargeFiresByItselfOnce) {
    CStation* s = global::station1;
    s->loading = true;
    int fired_on = 0;
    for (int step = 1; step <= 200 && fired_on == 0; ++step) {
        s->update();
        if (count(global::ROCKET) > 0)
            fired_on = step;
    }
    // 2.5 / 0.02 = 125 steps of charging.
    EXPECT_GE(fired_on, 124);
    EXPECT_LE(fired_on, 126);
    EXPECT_FALSE(s->loading);
    EXPECT_FLOAT_EQ(s->loaded, 0);
    EXPECT_EQ(s->rockets, 9);
    CParticle* m = first(global::ROCKET);
    ASSERT_NE(m, nullptr);
    // Fired at aim 0 with the charge at 2.5: straight down at 3.5 / 40.
    EXPECT_NEAR(m->vel.x, 0, 1e-6);
    EXPECT_NEAR(m->vel.y, -3.5f / 40, 1e-3);
    s->update();
    EXPECT_EQ(count(global::ROCKET), 1);

    // A charge of exactly 2.5 is full: it fires in that step, not the next.
    s->loading = false;
    s->loaded = 2.5f;
    s->update();
    EXPECT_EQ(count(global::ROCKET), 2);
    EXPECT_FLOAT_EQ(s->loaded, 0);
}

TEST_F(Stations, FullChargeWithAnEmptyStockStillEndsTheCharge) {
    CStation* s = global::station1;
    s->rockets = 0;
    s->loading = true;
    s->loaded = 2.49f;
    s->update();
    EXPECT_EQ(count(global::ROCKET), 0);
    EXPECT_EQ(s->rockets, 0);
    EXPECT_FALSE(s->loading);
    EXPECT_FLOAT_EQ(s->loaded, 0);
}

TEST_F(Stations, MissilesAndFlaresLeaveFromTheBody) {
    CStation* s = global::station2;
    hold_stations();
    s->shoot_rocket(42);
    CParticle* m = particles.back();
    EXPECT_EQ(m->type, global::ROCKET);
    EXPECT_TRUE(m->ang_from_dir);
    EXPECT_EQ(m->gfx.texture, 42);
    EXPECT_FLOAT_EQ(m->gfx.colour[0], 0.7f);
    EXPECT_FLOAT_EQ(m->gfx.colour[3], 1);
    EXPECT_FLOAT_EQ(m->props.radius, 0.2f);
    EXPECT_FLOAT_EQ(m->pos.x, s->particle->pos.x);
    EXPECT_FLOAT_EQ(m->pos.y, s->particle->pos.y);
    EXPECT_NEAR(m->vel.x, 0, 1e-7);
    EXPECT_NEAR(m->vel.y, -0.025f, 1e-7);
    EXPECT_EQ(s->rockets, 9);

    s->aim = 3.1415926f / 2;
    s->loaded = 1;
    s->shoot_rocket(42);
    m = particles.back();
    EXPECT_NEAR(m->vel.x, 0.05f, 1e-6);
    EXPECT_NEAR(m->vel.y, 0, 1e-6);
    EXPECT_FLOAT_EQ(s->loaded, 1);  // firing does not empty the charge

    s->shoot_flare(43);
    CParticle* f = particles.back();
    EXPECT_EQ(f->type, global::FLARE);
    EXPECT_TRUE(f->ang_from_dir);
    EXPECT_FLOAT_EQ(f->gfx.colour[1], 0.2f);
    EXPECT_NEAR(f->vel.x, 1.0f / 15, 1e-6);
    EXPECT_EQ(s->flares, 4);

    s->rockets = 0;
    size_t before = particles.size();
    s->shoot_rocket(42);
    EXPECT_EQ(particles.size(), before);
    EXPECT_EQ(s->rockets, 0);
}

TEST_F(Stations, RestartClearsTheBoardAndResetsBothSides) {
    CStation* s = global::station1;
    s->shoot_rocket(1);
    s->shoot_flare(1);
    s->shields = 20;
    s->aim = 2;
    s->loading = true;
    s->loaded = 1.5f;
    s->cw = true;
    global::station2->rockets = 0;
    global::counter = 321;
    global::camera[0] = 5;
    global::camera[2] = -7;
    for (int type : {global::TRACE, global::EXP, global::SIGN})
        projectile(type, CVector(0, 0), 3);
    CParticle* keep = new CParticle(0, 0, 1);
    keep->type = global::BACK;
    global::station1->particle->ang_pos = 1;
    global::station2->particle->ang_pos = 1;

    restart();

    for (int type : {global::TRACE, global::ROCKET, global::FLARE, global::EXP, global::SIGN})
        EXPECT_EQ(count(type), 0) << type;
    EXPECT_EQ(particles.back(), keep);
    EXPECT_EQ(*particles.begin(), &global::background);
    EXPECT_EQ(s->shields, 100);
    EXPECT_EQ(s->rockets, 10);
    EXPECT_EQ(s->flares, 5);
    EXPECT_FLOAT_EQ(s->aim, 0);
    EXPECT_FALSE(s->loading);
    EXPECT_FLOAT_EQ(s->loaded, 0);
    EXPECT_FALSE(s->cw);
    EXPECT_EQ(global::station2->rockets, 10);
    EXPECT_EQ(global::counter, 0);
    EXPECT_FLOAT_EQ(global::camera[0], 0);
    EXPECT_FLOAT_EQ(global::camera[2], -20);
    EXPECT_FLOAT_EQ(global::station1->particle->ang_pos, 3.1415f);
    EXPECT_FLOAT_EQ(global::station2->particle->ang_pos, 0);
    EXPECT_EQ(global::station1->particle, s->particle);

    particles.pop_back();
    delete keep;
}

}  // namespace
