#pragma once

// A real board for simulation tests, without a window: the pictures the step names registered under ids of
// their own, two stations built as start-up builds them, and a fresh match for every test.

#include <gtest/gtest.h>

#include <string>

#include "game/sim/global.h"
#include "game/sim/logic.h"
#include "general/texture_names.h"

namespace sim_board {

// Distinct ids, so that a test can tell which picture a body was given.
inline void register_pictures() {
    unsigned int id = 1;
    for (const char* name : {"missile", "particle", "explosion"})
        textures.insert({name, id++});
}

inline void build_stations() {
    if (global::station1 != nullptr)
        return;
    global::station1 = new global::CStation(new CParticle(-9, -4, 0.4f), &global::planet1);
    global::station2 = new global::CStation(new CParticle(9, 4, 0.4f), &global::planet2);
    global::station1->particle->ang_vel = 0.0022f;
    global::station2->particle->ang_vel = 0.0022f;
}

inline int count(int type) {
    int n = 0;
    for (CParticle* p : particles)
        if (p->type == type)
            ++n;
    return n;
}

inline CParticle* first(int type) {
    for (CParticle* p : particles)
        if (p->type == type)
            return p;
    return nullptr;
}

inline void remove_all(int type) {
    for (auto j = particles.begin(); j != particles.end();) {
        if ((*j)->type == type) {
            delete *j;
            j = particles.erase(j);
        } else {
            ++j;
        }
    }
}

inline CParticle* projectile(int type, CVector at, int age, CVector vel = CVector(0, 0)) {
    CParticle* p = new CParticle(at.x, at.y, 0.2f);
    p->type = type;
    p->counter = age;
    p->vel = vel;
    p->ang_from_dir = true;
    return p;
}

inline float distance(CVector a, CVector b) {
    return CVector(a, b).len();
}

// Stops both stations turning and puts their bodies on the orbit, so positions hold still.
inline void hold_stations() {
    global::station1->particle->ang_vel = 0;
    global::station2->particle->ang_vel = 0;
    global::station1->update();
    global::station2->update();
}

inline void steps(int n) {
    for (int i = 0; i < n; ++i)
        program_logic();
}

class Board : public ::testing::Test {
  protected:
    void SetUp() override {
        register_pictures();
        build_stations();
        global::station1->particle->ang_vel = 0.0022f;
        global::station2->particle->ang_vel = 0.0022f;
        restart();
        global::game_state = global::ON;
        global::players = global::MULTI;
        global::difficulty = global::MEDIUM;
    }
    void TearDown() override {
        restart();
        global::game_state = global::HIDDEN;
    }
};

}  // namespace sim_board
