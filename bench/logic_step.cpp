// Cost of one logic step on a busy board: missiles and flares circling far out, each with its full trail.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "game/sim/global.h"
#include "game/sim/logic.h"
#include "game/sim/match_tally.h"
#include "graphics/display.h"
#include "graphics/draw.h"
#include "graphics/textures.h"
#include "tga_writer.h"

namespace {

bool open_board() {
    static int state = 0;
    if (state != 0)
        return state > 0;
    state = -1;
    init_gfx();
    CDisplay::set_dim(64, 64);
    if (open_window("bench", WINDOWED) != 0)
        return false;
    rgba_image plain(4, 4);
    for (auto& v : plain.pixels)
        v = 255;
    std::string path = "bench_white.tga";
    if (!write_file(path, encode_tga(plain)))
        return false;
    for (const char* name : {"missile", "particle", "explosion"})
        load_texture(path, name);
    std::remove(path.c_str());
    global::station1 = new global::CStation(new CParticle(-9, -4, 0.4f), &global::planet1);
    global::station2 = new global::CStation(new CParticle(9, 4, 0.4f), &global::planet2);
    global::station1->particle->ang_vel = 0.0022f;
    global::station2->particle->ang_vel = 0.0022f;
    state = 1;
    return true;
}

// Far from the planets the pull is about 0.003 / r, so 0.0548 units per step keeps a body on a circle.
CParticle* circling(int type, float radius, float angle) {
    float speed = std::sqrt(0.003f);
    CParticle* p = new CParticle(radius * std::cos(angle), radius * std::sin(angle), 0.2f);
    p->type = type;
    p->counter = 20;
    p->vel = CVector(-std::sin(angle) * speed, std::cos(angle) * speed);
    p->ang_from_dir = true;
    return p;
}

// A steady board: every missile with 200 trail dots of every age, every flare with 50, listed as the
// logic step lays them: the missiles and flares, then the dots one step's worth at a time, oldest first.
void fill_board(int missiles) {
    restart();
    global::game_state = global::ON;
    global::players = global::MULTI;
    static float tint[4] = {0.6f, 0.8f, 1.0f, 1};
    int flares = missiles / 10;
    std::vector<CParticle*> bodies;
    for (int i = 0; i < missiles + flares; ++i) {
        bool missile = i < missiles;
        float angle = 6.2831f * (missile ? i : i - missiles) / (missile ? missiles : flares);
        bodies.push_back(circling(missile ? global::ROCKET : global::FLARE, missile ? 40.0f : 46.0f, angle));
    }
    for (int age = 199; age >= 0; --age) {
        for (CParticle* p : bodies) {
            if (p->type == global::FLARE && age < 150)
                continue;
            CParticle* dot = new CParticle(p->pos.x, p->pos.y, 0.07f);
            dot->set_gfx(set_texture("particle"), tint, ALPHA);
            dot->type = global::TRACE;
            dot->counter = age;
        }
    }
}

// Steps on the board for as long as the benchmark runs, with the match's tally fed after each as the
// game's run does when `tally`.
void time_steps(benchmark::State& state, bool tally) {
    if (!open_board()) {
        state.SkipWithError("no window (run under xvfb-run)");
        return;
    }
    int missiles = static_cast<int>(state.range(0));
    fill_board(missiles);
    global::tally = CMatchTally();
    double particle_steps = 0;
    int since_fill = 0;
    for (auto _ : state) {
        // Orbits drift after a while: rebuild the board outside the timing.
        if (++since_fill == 2000) {
            state.PauseTiming();
            fill_board(missiles);
            since_fill = 0;
            state.ResumeTiming();
        }
        particle_steps += static_cast<double>(particles.size());
        benchmark::DoNotOptimize(program_logic());
        if (tally)
            global::tally.after_step();
    }
    state.SetItemsProcessed(static_cast<int64_t>(particle_steps));
    state.counters["particles"] = particle_steps / static_cast<double>(state.iterations());
    // CPU seconds per particle and step.
    state.counters["per_particle"] =
        benchmark::Counter(particle_steps, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    restart();
}

void BM_LogicStep(benchmark::State& state) {
    time_steps(state, false);
}

// What the match's tally adds to each step the game runs: one walk over the list, following every
// missile and flare from where it was.
void BM_StepWithTally(benchmark::State& state) {
    time_steps(state, true);
}

// The least a step can do with every particle: one walk over the list reading its type and age and
// setting a trail dot's alpha from its age, as the step itself does. Memory in order, nothing else.
void BM_ListWalk(benchmark::State& state) {
    if (!open_board()) {
        state.SkipWithError("no window (run under xvfb-run)");
        return;
    }
    fill_board(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        for (CParticle* p : particles)
            if (p->type == global::TRACE)
                p->gfx.colour[3] = 0.5f - p->counter / 400.0f;
        benchmark::ClobberMemory();
    }
    const double n = static_cast<double>(particles.size());
    state.SetItemsProcessed(static_cast<int64_t>(n * static_cast<double>(state.iterations())));
    state.counters["particles"] = n;
    state.counters["per_particle"] =
        benchmark::Counter(n, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    restart();
}

}  // namespace

// About 1,000, 10,000 and 40,000 live particles.
BENCHMARK(BM_LogicStep)->Arg(5)->Arg(50)->Arg(200)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StepWithTally)->Arg(5)->Arg(50)->Arg(200)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ListWalk)->Arg(5)->Arg(200)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
