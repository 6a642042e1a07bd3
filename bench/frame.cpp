// Cost of a whole frame (world pass, HUD, swap) in a real 1024x600 window on a busy board, drawn
// sprite by sprite, in batches, and as one bare batch of the same quads (the bound); and the cost of
// building the how-to-play scene. Run under Xvfb.
#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <list>
#include <random>
#include <string>
#include <vector>

#include "game/global.h"
#include "game/main_loop.h"
#include "game/presentation.h"
#include "game/render_hud.h"
#include "game/render_world.h"
#include "game/startup.h"
#include "graphics/display.h"
#include "graphics/draw.h"
#include "graphics/sprite_batch.h"
#include "graphics/textures.h"
#include "platform/glfw2.h"

namespace {

// The splash is timed; a clock that leaps makes each of its phases one frame long.
double leap_now = 0;
double leaping_clock() {
    leap_now += 1000;
    return leap_now;
}

// The real start-up, in a run folder of our own (the pictures; no "conf", so 1024x600 windowed).
bool game_ready() {
    static int state = 0;
    if (state != 0)
        return state > 0;
    state = -1;
    namespace fs = std::filesystem;
    const fs::path run = fs::temp_directory_path() / ("zelvorant-bench-" + std::to_string(getpid()));
    fs::create_directories(run);
    fs::create_directory_symlink(fs::path(ZELVORANT_RUN_DIR) / "gfx", run / "gfx");
    if (chdir(run.c_str()) != 0)
        return false;
    // Start-up's progress lines would break up the table.
    std::fflush(stdout);
    const int saved = dup(1);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    glfw2::use_clock(leaping_clock);
    init_gfx();
    const int started = init();
    glfw2::use_clock(nullptr);
    std::fflush(stdout);
    dup2(saved, 1);
    close(saved);
    close(null);
    fs::remove_all(run);
    if (started != 0)
        return false;
    glClearColor(CDisplay::red(), CDisplay::green(), CDisplay::blue(), CDisplay::alpha());
    glMatrixMode(GL_MODELVIEW);
    state = 1;
    return true;
}

// A match in full swing: missiles circling in view, each with its 200 trail dots in the order the
// logic step lays them, and an explosion now and then breaking the runs. `sprites` in all.
std::vector<CParticle*> busy_board(int sprites) {
    restart();
    global::game_state = global::ON;
    global::menu_state = global::NONE;
    global::players = global::MULTI;
    std::mt19937 rng(99);
    std::uniform_real_distribution<float> u(0, 1);
    const int missiles = (sprites + 200) / 201;  // none for an empty board
    std::vector<CParticle*> made;
    std::vector<CVector> centre, heading;
    static float trail[4] = {0.6f, 0.8f, 1.0f, 1};
    static float plain[4] = {1, 1, 1, 1};
    const int dot = set_texture("particle");
    const int missile = set_texture("missile");
    const int boom = set_texture("explosion");
    for (int m = 0; m < missiles; ++m) {
        CParticle* p = new CParticle(u(rng) * 36 - 18, u(rng) * 22 - 11, 0.2f);
        p->type = global::ROCKET;
        p->set_gfx(missile, plain, ALPHA);
        p->ang_pos = u(rng) * 6.28f;
        made.push_back(p);
    }
    for (int age = 199; age >= 0 && static_cast<int>(made.size()) < sprites; --age) {
        for (int m = 0; m < missiles && static_cast<int>(made.size()) < sprites; ++m) {
            const CParticle* head = made[m];
            const float back = 0.04f * age;
            CParticle* d = new CParticle(head->pos.x - back * std::sin(head->ang_pos),
                                         head->pos.y + back * std::cos(head->ang_pos), 0.07f);
            d->type = global::TRACE;
            d->counter = age;
            trail[3] = 0.5f - age / 400.0f;
            d->set_gfx(dot, trail, ALPHA);
            made.push_back(d);
        }
        if (age % 20 == 0 && static_cast<int>(made.size()) < sprites) {
            CParticle* e = new CParticle(u(rng) * 30 - 15, u(rng) * 20 - 10, 0.8f);
            e->type = global::EXP;
            e->set_gfx(boom, plain, ADD);
            e->set_anim(1, 13, 7);
            e->counter = age % 84;
            made.push_back(e);
        }
    }
    return made;
}

// The bound: the same quads, already placed, one texture, one draw call.
struct bare_batch {
    std::vector<CSpriteBatch::vertex> vertices;
    int texture = -1;

    void build(const std::vector<CParticle*>& sprites) {
        vertices.clear();
        texture = set_texture("particle");
        for (const CParticle* p : sprites) {
            const float a = p->ang_pos * 360.0f / 6.283f * 3.14159265f / 180.0f;
            const float sn = std::sin(a), cs = std::cos(a);
            const float st[4][2] = {{1, 1}, {1, 0}, {0, 0}, {0, 1}};
            for (int i = 0; i < 4; ++i) {
                const CVector& c = p->gfx.geometry[i];
                const float* k = p->gfx.colour;
                vertices.push_back({st[i][0], st[i][1], k[0], k[1], k[2], k[3],
                                    p->pos.x + cs * c.x - sn * c.y, p->pos.y + sn * c.x + cs * c.y, 0});
            }
        }
    }
    void draw() const {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
        CSpriteBatch::draw_quads(vertices);
        bind_no_texture();
    }
};

bare_batch* the_bare = nullptr;
void world_with_bare_batch() {
    world_render();
    the_bare->draw();
}

enum path { ONE_BY_ONE = 0, BATCHED = 1, BARE = 2 };

void BM_Frame(benchmark::State& state) {
    if (!game_ready()) {
        state.SkipWithError("the game did not start (run under xvfb-run, after building the pictures)");
        return;
    }
    const int sprites = static_cast<int>(state.range(0));
    const int how = static_cast<int>(state.range(1));
    std::vector<CParticle*> board = busy_board(sprites);

    bare_batch bare;
    std::list<CParticle*> held_back;
    if (how == BARE) {
        // The sprites leave the list, so the world pass draws only the fixed bodies around the batch.
        bare.build(board);
        for (auto i = particles.begin(); i != particles.end();) {
            auto next = std::next(i);
            if ((*i)->type == global::TRACE || (*i)->type == global::ROCKET || (*i)->type == global::EXP)
                held_back.splice(held_back.end(), particles, i);
            i = next;
        }
        the_bare = &bare;
    }
    CSpriteBatch::one_by_one = how == ONE_BY_ONE;
    void (*world)() = how == BARE ? world_with_bare_batch : world_render;

    for (auto _ : state) {
        draw_frame(world, gui_render, global::camera);
        glFinish();
    }
    CSpriteBatch::one_by_one = false;
    particles.splice(particles.end(), held_back);
    state.counters["sprites"] = static_cast<double>(board.size());
    state.counters["fps"] = benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate);
    restart();
}

void BM_Presentation(benchmark::State& state) {
    if (!game_ready()) {
        state.SkipWithError("the game did not start (run under xvfb-run, after building the pictures)");
        return;
    }
    for (auto _ : state)
        presentation();
    state.counters["particles"] = static_cast<double>(particles.size());
    restart();
}

}  // namespace

// The frame without any sprite: backdrop, planets, stations, HUD and swap, what every path pays.
BENCHMARK(BM_Frame)
    ->ArgNames({"sprites", "path"})
    ->Args({0, ONE_BY_ONE})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(1.0);
BENCHMARK(BM_Frame)
    ->ArgNames({"sprites", "path"})
    ->ArgsProduct({{1000, 10000, 40000}, {ONE_BY_ONE, BATCHED, BARE}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(1.0);
BENCHMARK(BM_Presentation)->Unit(benchmark::kMicrosecond)->UseRealTime();

BENCHMARK_MAIN();
