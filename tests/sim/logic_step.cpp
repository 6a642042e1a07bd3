#include <cmath>
#include <cstdlib>
#include <vector>

#include "board.h"
#include "game/sim/match_clock.h"

using namespace sim_board;

namespace {

class LogicStep : public Board {
  protected:
    CVector body(global::CStation* s) { return s->particle->pos; }
};

TEST_F(LogicStep, MissileArmsAfterTwentyStepsThenHitsAStation) {
    hold_stations();
    CVector at = body(global::station2) + CVector(0.3f, 0);
    CParticle* m = projectile(global::ROCKET, at, 0);
    steps(19);
    EXPECT_EQ(count(global::ROCKET), 1);
    EXPECT_EQ(count(global::EXP), 0);
    EXPECT_EQ(m->counter, 19);
    EXPECT_LT(distance(m->pos, body(global::station2)), 0.5f);
    EXPECT_EQ(global::station2->shields, 100);

    steps(1);
    EXPECT_EQ(count(global::ROCKET), 0);
    ASSERT_EQ(count(global::EXP), 1);
    CParticle* e = first(global::EXP);
    EXPECT_EQ(e->gfx.blend, ADD);
    EXPECT_EQ(e->gfx.animation, 1);
    EXPECT_EQ(e->gfx.frames_h, 13);
    EXPECT_EQ(e->gfx.frames_v, 1);
    EXPECT_EQ(e->gfx.anim_speed, 7);
    EXPECT_FLOAT_EQ(e->props.radius, 0.8f);
    // The explosion acts in the step that made it.
    EXPECT_EQ(e->counter, 1);
    EXPECT_EQ(global::station2->shields, 90);
    EXPECT_EQ(global::station1->shields, 100);
    ASSERT_EQ(count(global::SIGN), 1);
    CParticle* label = first(global::SIGN);
    EXPECT_NEAR(label->pos.x, body(global::station2).x, 1e-5);
    EXPECT_NEAR(label->pos.y, body(global::station2).y + 0.005f, 1e-5);
    EXPECT_FLOAT_EQ(label->props.radius, 0.8f);

    // The blast counts on its first step only.
    steps(10);
    EXPECT_EQ(global::station2->shields, 90);
    EXPECT_EQ(count(global::SIGN), 1);
    EXPECT_NEAR(label->pos.y, body(global::station2).y + 11 * 0.005f, 1e-4);
}

TEST_F(LogicStep, ArmedMissileExplodesAtAPlanetWithoutHurtingItsStation) {
    hold_stations();
    projectile(global::ROCKET, CVector(8 - 2.4f, 0), 20);
    steps(1);
    EXPECT_EQ(count(global::ROCKET), 0);
    ASSERT_EQ(count(global::EXP), 1);
    EXPECT_NEAR(first(global::EXP)->pos.x, 8 - 2.4f, 1e-5);
    EXPECT_EQ(global::station2->shields, 100);
    EXPECT_EQ(count(global::SIGN), 0);

    // Just outside the reach of the planet it flies on.
    projectile(global::ROCKET, CVector(-8 + 2.6f, 0), 20);
    steps(1);
    EXPECT_EQ(count(global::ROCKET), 1);
}

TEST_F(LogicStep, ExplosionLivesEightyFourSteps) {
    hold_stations();
    projectile(global::ROCKET, CVector(8 - 2.4f, 0), 20);
    steps(84);
    EXPECT_EQ(count(global::EXP), 1);
    EXPECT_EQ(first(global::EXP)->counter, 84);
    steps(1);
    EXPECT_EQ(count(global::EXP), 0);
}

TEST_F(LogicStep, BlastDestroysANearbyMissileWithoutFurtherDamage) {
    hold_stations();
    CVector station = body(global::station1);
    // The far missile comes first in the list: it is moved before the other one explodes.
    projectile(global::ROCKET, station + CVector(1.2f, 0), 20);
    projectile(global::ROCKET, station + CVector(0.4f, 0), 20);
    steps(1);
    EXPECT_EQ(count(global::ROCKET), 0);
    EXPECT_EQ(count(global::EXP), 1);
    EXPECT_EQ(count(global::SIGN), 1);
    EXPECT_EQ(global::station1->shields, 90);
    EXPECT_EQ(global::station2->shields, 100);
    remove_all(global::EXP);

    // The blast reaches one unit: a missile just inside goes, one a little further flies on.
    CVector blast_at(0, 6);
    projectile(global::ROCKET, blast_at + CVector(0, 0.95f), 0);
    CParticle* outside = projectile(global::ROCKET, blast_at + CVector(0, -1.1f), 0);
    CParticle* e = new CParticle(blast_at.x, blast_at.y, 0.8f);
    e->type = global::EXP;
    e->set_anim(1, 13, 7);
    steps(1);
    ASSERT_EQ(count(global::ROCKET), 1);
    EXPECT_EQ(first(global::ROCKET), outside);
}

TEST_F(LogicStep, FlareCatchesAMissile) {
    hold_stations();
    // Far from both stations: the flare and the missile are gone and nobody is hurt.
    CParticle* f = projectile(global::FLARE, CVector(0, 6), 0);
    projectile(global::ROCKET, CVector(0.2f, 6), 3);
    CVector caught_at = f->pos;
    steps(1);
    EXPECT_EQ(count(global::FLARE), 0);
    EXPECT_EQ(count(global::ROCKET), 0);
    ASSERT_EQ(count(global::EXP), 1);
    EXPECT_NEAR(first(global::EXP)->pos.x, caught_at.x, 1e-3);
    EXPECT_NEAR(first(global::EXP)->pos.y, caught_at.y, 1e-3);
    EXPECT_EQ(global::station1->shields, 100);
    EXPECT_EQ(global::station2->shields, 100);
    remove_all(global::EXP);

    // Near a station the catch costs it shields; a missile ahead of the flare in the list is caught too.
    CVector station = body(global::station2);
    projectile(global::ROCKET, station + CVector(0.2f, 0.6f), 0);
    projectile(global::FLARE, station + CVector(0, 0.6f), 0);
    steps(1);
    EXPECT_EQ(count(global::FLARE), 0);
    EXPECT_EQ(count(global::ROCKET), 0);
    EXPECT_EQ(count(global::EXP), 1);
    EXPECT_EQ(global::station2->shields, 90);
}

TEST_F(LogicStep, FlareReachesAThirdOfAUnit) {
    hold_stations();
    projectile(global::FLARE, CVector(0, 6), 0);
    projectile(global::ROCKET, CVector(0.35f, 6), 3);
    steps(1);
    EXPECT_EQ(count(global::EXP), 0);
    EXPECT_EQ(count(global::FLARE), 1);
    EXPECT_EQ(count(global::ROCKET), 1);

    remove_all(global::FLARE);
    remove_all(global::ROCKET);
    projectile(global::FLARE, CVector(0, 6), 0);
    projectile(global::ROCKET, CVector(0.27f, 6), 3);
    steps(1);
    EXPECT_EQ(count(global::EXP), 1);
    EXPECT_EQ(count(global::FLARE), 0);
}

TEST_F(LogicStep, FlareMeetingTwoMissilesCatchesOnlyTheFirst) {
    hold_stations();
    projectile(global::FLARE, CVector(0, 6), 0);
    CParticle* a = projectile(global::ROCKET, CVector(0.2f, 6), 3);
    projectile(global::ROCKET, CVector(0, 6.2f), 3);
    a->counter = 3;
    steps(1);
    // One explosion only, and both missiles are within its blast.
    EXPECT_EQ(count(global::EXP), 1);
    EXPECT_EQ(count(global::ROCKET), 0);
    EXPECT_EQ(count(global::FLARE), 0);
}

TEST_F(LogicStep, FlareVanishesNearAPlanet) {
    hold_stations();
    projectile(global::FLARE, CVector(-8, 2.4f), 0);
    steps(1);
    EXPECT_EQ(count(global::FLARE), 0);
    EXPECT_EQ(count(global::EXP), 0);
}

TEST_F(LogicStep, TrailDotsFollowAndFade) {
    hold_stations();
    CParticle* m = projectile(global::ROCKET, CVector(0, 30), 0, CVector(0.01f, 0));
    steps(1);
    ASSERT_EQ(count(global::TRACE), 1);
    CParticle* dot = first(global::TRACE);
    EXPECT_FLOAT_EQ(dot->pos.x, m->pos.x);
    EXPECT_FLOAT_EQ(dot->pos.y, m->pos.y);
    EXPECT_FLOAT_EQ(dot->props.radius, 0.07f);
    EXPECT_FLOAT_EQ(dot->gfx.colour[0], 0.6f);
    EXPECT_FLOAT_EQ(dot->gfx.colour[1], 0.8f);
    EXPECT_FLOAT_EQ(dot->gfx.colour[3], 1);
    EXPECT_EQ(dot->counter, 0);

    // Only the first dot stays when the missile goes.
    remove_all(global::ROCKET);
    steps(1);
    EXPECT_FLOAT_EQ(dot->gfx.colour[3], 0.5f);
    steps(1);
    EXPECT_FLOAT_EQ(dot->gfx.colour[3], 0.5f - 1 / 400.0f);
    steps(100);
    EXPECT_NEAR(dot->gfx.colour[3], 0.5f - 101 / 400.0f, 1e-6);
    steps(97);
    EXPECT_EQ(count(global::TRACE), 1);
    steps(1);
    EXPECT_EQ(count(global::TRACE), 0);

    projectile(global::FLARE, CVector(0, 30), 0);
    steps(1);
    remove_all(global::FLARE);
    ASSERT_EQ(count(global::TRACE), 1);
    EXPECT_EQ(first(global::TRACE)->counter, 150);
    EXPECT_FLOAT_EQ(first(global::TRACE)->gfx.colour[1], 0.7f);
    steps(49);
    EXPECT_EQ(count(global::TRACE), 1);
    EXPECT_NEAR(first(global::TRACE)->gfx.colour[3], 0.5f - 198 / 400.0f, 1e-6);
    steps(1);
    EXPECT_EQ(count(global::TRACE), 0);
}

TEST_F(LogicStep, OnlyMissilesAndFlaresStillFlyingLayDots) {
    hold_stations();
    // A blast in mid-list takes down a missile the step has already moved and one it has not reached;
    // a flare and a missile far away fly on. Each of those two lays one dot, in list order.
    projectile(global::ROCKET, CVector(0, 6), 3);
    CParticle* blast = new CParticle(0.3f, 6, 0.8f);
    blast->type = global::EXP;
    blast->set_anim(1, 13, 7);
    projectile(global::ROCKET, CVector(0.6f, 6), 3);
    CParticle* flare = projectile(global::FLARE, CVector(0, -20), 0);
    CParticle* missile = projectile(global::ROCKET, CVector(20, 20), 3);
    steps(1);
    EXPECT_EQ(count(global::ROCKET), 1);
    std::vector<CVector> dots;
    for (CParticle* p : particles)
        if (p->type == global::TRACE)
            dots.push_back(p->pos);
    ASSERT_EQ(dots.size(), 2u);
    EXPECT_FLOAT_EQ(dots[0].y, flare->pos.y);
    EXPECT_FLOAT_EQ(dots[1].x, missile->pos.x);
}

TEST_F(LogicStep, MissilesAndFlaresFallTowardsBothPlanets) {
    hold_stations();
    CParticle* m = projectile(global::ROCKET, CVector(0, 0), 0);
    CParticle* f = projectile(global::FLARE, CVector(0, 4), 0);
    steps(1);
    // Between the planets the two pulls cancel; above them they add up downwards.
    EXPECT_NEAR(m->vel.x, 0, 1e-9);
    EXPECT_NEAR(m->vel.y, 0, 1e-9);
    float d2 = 64 + 16;
    EXPECT_NEAR(f->vel.y, 2 * 0.0015f * -4 / d2, 1e-8);
    EXPECT_NEAR(f->vel.x, 0, 1e-8);
    EXPECT_NEAR(f->pos.y, 4 + f->vel.y, 1e-6);
    // Facing follows the new velocity: falling straight down.
    EXPECT_NEAR(f->ang_pos, -3.1415927f / 2 - 1.57075f, 1e-4);
}

TEST_F(LogicStep, StocksRefillEveryHundredFiftyAndThreeHundredSteps) {
    global::station1->rockets = 5;
    global::station1->flares = 2;
    global::station2->flares = 5;
    steps(149);
    EXPECT_EQ(global::station1->flares, 2);
    steps(1);
    EXPECT_EQ(global::counter, 150);
    EXPECT_EQ(global::station1->flares, 3);
    EXPECT_EQ(global::station1->rockets, 5);
    EXPECT_EQ(global::station2->flares, 5);
    steps(150);
    EXPECT_EQ(global::station1->flares, 4);
    EXPECT_EQ(global::station1->rockets, 6);
    EXPECT_EQ(global::station2->rockets, 10);
    global::counter = 599;
    steps(1);
    EXPECT_EQ(global::counter, 0);
    EXPECT_EQ(global::station1->flares, 5);
    EXPECT_EQ(global::station1->rockets, 7);
}

struct shot {
    int step;
    float aim;
    float loaded;
};

// Runs the red station round its planet on HARD; missiles are cleared as soon as they appear.
std::vector<shot> computer_shots(int n_steps, int stock) {
    std::vector<shot> shots;
    for (int step = 1; step <= n_steps; ++step) {
        global::station2->rockets = stock;
        program_logic();
        if (count(global::ROCKET) > 0) {
            shots.push_back({step, global::station2->aim, global::station2->loaded});
            remove_all(global::ROCKET);
        }
        remove_all(global::TRACE);
    }
    return shots;
}

TEST_F(LogicStep, ComputerFiresOncePerFiringPointOnHard) {
    global::players = global::SINGLE;
    global::difficulty = global::HARD;
    match_clock::begin(7);
    std::vector<shot> shots = computer_shots(2 * 2860, 10);
    const float aims[16] = {-1.4f, -1.3f, -1.2f, -1.3f, -1.85f, -2.1f, -2.1f, -2.0f,
                            -1.6f, -1.6f, -1.0f, -1.2f, 0.0f,   -2.1f, -2.1f, -2.0f};
    const float charges[16] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0.7f, 1, 0.3f, 0.6f, 0.6f, 0.6f};
    ASSERT_GE(shots.size(), 30u);
    // After restart the angle is already past point 0: the first shot is point 1, about step 178.
    EXPECT_GE(shots[0].step, 176);
    EXPECT_LE(shots[0].step, 180);
    int k = 1;
    for (size_t i = 0; i < shots.size(); ++i) {
        // Point 0 sits on the angle wrap and is passed on some turns only.
        if (k == 0 && std::fabs(shots[i].aim - aims[0]) > 1e-6)
            k = 1;
        EXPECT_FLOAT_EQ(shots[i].aim, aims[k]) << "shot " << i << " at step " << shots[i].step;
        EXPECT_FLOAT_EQ(shots[i].loaded, charges[k]) << "shot " << i;
        if (i > 0) {
            int gap = shots[i].step - shots[i - 1].step;
            EXPECT_GE(gap, 170) << "shot " << i;
            EXPECT_LE(gap, 2 * 180) << "shot " << i;
        }
        k = (k + 1) % 16;
    }
}

TEST_F(LogicStep, ComputerNeverFiresWithoutStockOrInTwoPlayerMode) {
    global::players = global::SINGLE;
    global::difficulty = global::HARD;
    std::vector<shot> shots = computer_shots(300, 0);
    EXPECT_TRUE(shots.empty());
    // The preset still lands in the station.
    EXPECT_FLOAT_EQ(global::station2->aim, -1.3f);
    EXPECT_FLOAT_EQ(global::station2->loaded, 1.0f);

    restart();
    global::players = global::MULTI;
    shots = computer_shots(400, 10);
    EXPECT_TRUE(shots.empty());
    EXPECT_FLOAT_EQ(global::station2->aim, 0);
}

TEST_F(LogicStep, EasierLevelsSkipSomeFiringPoints) {
    global::players = global::SINGLE;
    global::difficulty = global::EASY;
    match_clock::begin(11);
    std::vector<shot> shots = computer_shots(10 * 2860, 10);
    // 160 points passed; a quarter of them on average.
    EXPECT_GT(shots.size(), 20u);
    EXPECT_LT(shots.size(), 70u);
}

TEST_F(LogicStep, PauseFreezesEverything) {
    projectile(global::ROCKET, CVector(0, 30), 0, CVector(0.01f, 0));
    projectile(global::FLARE, CVector(0, -30), 0, CVector(0.01f, 0));
    global::players = global::SINGLE;
    global::difficulty = global::HARD;
    global::station1->loading = true;
    global::station1->cw = true;
    global::station1->rockets = 3;
    steps(3);
    global::counter = 149;
    global::game_state = global::PAUSED;
    std::vector<float> before;
    for (CParticle* p : particles) {
        before.insert(before.end(), {p->pos.x, p->pos.y, p->ang_pos, p->gfx.colour[3]});
        before.push_back(static_cast<float>(p->counter));
    }
    float aim = global::station1->aim;
    float loaded = global::station1->loaded;
    for (int i = 0; i < 500; ++i)
        EXPECT_FALSE(program_logic());
    std::vector<float> after;
    for (CParticle* p : particles) {
        after.insert(after.end(), {p->pos.x, p->pos.y, p->ang_pos, p->gfx.colour[3]});
        after.push_back(static_cast<float>(p->counter));
    }
    EXPECT_EQ(before, after);
    EXPECT_EQ(global::counter, 149);
    EXPECT_EQ(global::station1->rockets, 3);
    EXPECT_EQ(global::station1->flares, 5);
    EXPECT_FLOAT_EQ(global::station1->aim, aim);
    EXPECT_FLOAT_EQ(global::station1->loaded, loaded);
    EXPECT_EQ(global::game_state, global::PAUSED);
}

TEST_F(LogicStep, MatchEndsOnTheStepAfterTheFatalBlast) {
    hold_stations();
    global::station2->shields = 10;
    projectile(global::ROCKET, body(global::station2) + CVector(0.4f, 0), 20);
    steps(1);
    EXPECT_EQ(global::station2->shields, 0);
    EXPECT_EQ(global::game_state, global::ON);
    steps(1);
    EXPECT_EQ(global::game_state, global::ENDED);
    EXPECT_EQ(global::station1->shields, 100);
    // Once ended nothing moves any more.
    CParticle* e = first(global::EXP);
    ASSERT_NE(e, nullptr);
    int age = e->counter;
    int clock = global::counter;
    steps(20);
    EXPECT_EQ(e->counter, age);
    EXPECT_EQ(global::counter, clock);
}

TEST_F(LogicStep, BothShieldsFallingInOneStepIsADraw) {
    hold_stations();
    global::station1->shields = 10;
    global::station2->shields = 5;
    projectile(global::ROCKET, body(global::station1) + CVector(0.4f, 0), 20);
    projectile(global::ROCKET, body(global::station2) + CVector(-0.4f, 0), 20);
    steps(1);
    EXPECT_EQ(global::station1->shields, 0);
    EXPECT_EQ(global::station2->shields, -5);
    EXPECT_EQ(global::game_state, global::ON);
    steps(1);
    EXPECT_EQ(global::game_state, global::ENDED);
}

TEST_F(LogicStep, ClosingStopsTheLoop) {
    EXPECT_FALSE(program_logic());
    global::game_state = global::CLOSING;
    EXPECT_TRUE(program_logic());
}

TEST_F(LogicStep, NoiseCounterCyclesThroughThreeFrames) {
    int saved = global::noise.anim_speed;
    global::noise.anim_speed = 25;
    global::noise.counter = 73;
    steps(1);
    EXPECT_EQ(global::noise.counter, 74);
    steps(1);
    EXPECT_EQ(global::noise.counter, 0);
    // Without an animation set up the counter stays at 0 instead of dividing by zero.
    global::noise.anim_speed = 0;
    steps(1);
    EXPECT_EQ(global::noise.counter, 0);
    global::noise.anim_speed = saved;
}

}  // namespace
