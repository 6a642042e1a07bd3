#pragma once

// A real board for simulation tests: a GL context (the logic step binds textures), the pictures the step
// names, two stations built as start-up builds them, and a fresh match for every test.

#include <gtest/gtest.h>

#include <string>

#include "game/sim/global.h"
#include "game/sim/logic.h"
#include "gl_window.h"
#include "graphics/textures.h"
#include "tga_writer.h"

namespace world_board {

inline void register_pictures() {
    static bool done = false;
    if (done)
        return;
    done = true;
    rgba_image picture(4, 4);
    for (auto& v : picture.pixels)
        v = 255;
    std::string dir = scratch_dir("world_board");
    std::string path = dir + "/white.tga";
    write_file(path, encode_tga(picture));
    for (const char* name : {"missile", "particle", "explosion", "red_cross"})
        load_texture(path, name);
    // The charge ring: 16 frames side by side; frame 1 red, frame 15 green, the rest blue.
    rgba_image ring(64, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 64; ++x) {
            int frame = x / 4 + 1;
            uint8_t* px = ring.at(x, y);
            px[0] = frame == 1 ? 255 : 0;
            px[1] = frame == 15 ? 255 : 0;
            px[2] = frame != 1 && frame != 15 ? 255 : 0;
            px[3] = 255;
        }
    write_file(dir + "/ring.tga", encode_tga(ring));
    load_texture(dir + "/ring.tga", "blue_circle");
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
        ASSERT_TRUE(gl_window::open());
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

}  // namespace world_board
