// Cost of whole frames (world pass, HUD, swap) in a real window under Xvfb, 1024x600 or the size in
// ZELVORANT_BENCH_SIZE ("1920x1080"): every screen and busy matches, each against the floor (clear, one
// window-sized texture put on the window unblended, swap) drawn in the same iterations, and busy
// matches against the bare single batch of the same sprites; a recorded busy match played back frame by
// frame. And the cost of building the how-to-play scene.
#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "floor_frame.h"
#include "game/app/main_loop.h"
#include "game/app/startup.h"
#include "game/config/options.h"
#include "game/render/hud_images.h"
#include "game/render/match_picture.h"
#include "game/render/render_hud.h"
#include "game/render/render_world.h"
#include "game/replay/replay_file.h"
#include "game/replay/replay_playback.h"
#include "game/sim/global.h"
#include "game/sim/logic.h"
#include "game/sim/presentation.h"
#include "game/sim/station_input.h"
#include "graphics/backdrop.h"
#include "graphics/display.h"
#include "graphics/draw.h"
#include "graphics/pixel_rect.h"
#include "graphics/sprite_batch.h"
#include "graphics/textures.h"
#include "platform/glfw2.h"
#include "played_match.h"

namespace {

// The splash is timed; a clock that leaps makes each of its phases one frame long.
double leap_now = 0;
double leaping_clock() {
    leap_now += 1000;
    return leap_now;
}

// The window size asked for in ZELVORANT_BENCH_SIZE, written as the "conf" start-up reads.
void ask_for_size() {
    const char* size = std::getenv("ZELVORANT_BENCH_SIZE");
    int width = 0, height = 0;
    if (size == nullptr || std::sscanf(size, "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0)
        return;
    global::options.restore();
    global::options.width = width;
    global::options.height = height;
    global::options.write();
}

// The real start-up, in a run folder of our own (the pictures; 1024x600 windowed unless asked).
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
    ask_for_size();
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

// Whether the game is up for a benchmark; if not, the benchmark is skipped saying why.
bool started(benchmark::State& state) {
    if (game_ready())
        return true;
    state.SkipWithError("the game did not start (run under xvfb-run, after building the pictures)");
    return false;
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
            // A hit label draws no sprite.
            if (p->gfx.geometry.size() < 4)
                continue;
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
void bare_batch_only() {
    the_bare->draw();
}
void nothing() {}

// Seconds from the call to the end of the drawing.
template <class F>
double seconds(F draw) {
    const auto start = std::chrono::steady_clock::now();
    draw();
    glFinish();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A game frame through the real passes, drawn and swapped.
auto game_frame(void (*world)(), void (*hud)()) {
    return [world, hud] { draw_frame(world, hud, global::camera); };
}

void BM_Floor(benchmark::State& state) {
    if (!started(state))
        return;
    const floor_frame floor;
    for (auto _ : state)
        state.SetIterationTime(seconds([&] { floor.draw(); }));
    state.counters["fps"] = benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate);
}

// Each frame measured is paired with a floor frame drawn just before it, so that both see the same load
// on a busy machine: "vs_floor" is the ratio of their total times.
struct paired {
    double frames = 0;
    double floors = 0;
    // One iteration: a floor frame, then `frame`, whose time is the iteration's.
    template <class F>
    void time(benchmark::State& state, const floor_frame& floor, F frame) {
        floors += seconds([&] { floor.draw(); });
        const double t = seconds(frame);
        frames += t;
        state.SetIterationTime(t);
    }
    void report(benchmark::State& state) const {
        const double n = static_cast<double>(state.iterations());
        state.counters["floor_ms"] = floors / n * 1e3;
        state.counters["vs_floor"] = frames / floors;
    }
};

enum screen {
    TITLE,
    OPTIONS_FROM_TITLE,
    HOW_TO_PLAY,
    DIFFICULTY,
    MATCH,
    PAUSE_MENU,
    OPTIONS_FROM_PAUSE,
    MATCH_OVER
};

// Sets up the screen as the game shows it; a match is a fresh one without missiles.
void show(int which) {
    using namespace global;
    restart();
    players = MULTI;
    const int states[][2] = {{HIDDEN, MAIN}, {HIDDEN, OPTIONS}, {HIDDEN, INSTRUCTIONS}, {PAUSED, DIFF},
                             {ON, NONE},     {PAUSED, MAIN},    {PAUSED, OPTIONS},      {ENDED, NONE}};
    if (which == HOW_TO_PLAY)
        presentation();
    if (which == MATCH_OVER)
        station2->shields = 0;
    game_state = states[which][0];
    menu_state = states[which][1];
}

void leave_screen() {
    restart();
    global::game_state = global::HIDDEN;
    global::menu_state = global::MAIN;
}

void BM_Screen(benchmark::State& state) {
    if (!started(state))
        return;
    const floor_frame floor;
    show(static_cast<int>(state.range(0)));
    const std::size_t composed = world_backdrop().compositions();
    paired times;
    const auto frame = game_frame(world_render, gui_render);
    for (auto _ : state)
        times.time(state, floor, frame);
    times.report(state);
    state.counters["compositions"] = static_cast<double>(world_backdrop().compositions() - composed);
    leave_screen();
}

// Where the match frame's time goes: the backdrop put back alone, then the whole world pass, then the
// whole frame with the HUD.
void backdrop_only() {
    world_backdrop().draw(backdrop_layers());
}

enum match_part { BACKDROP_ONLY, WORLD_PASS, WITH_HUD };

void BM_MatchPart(benchmark::State& state) {
    if (!started(state))
        return;
    const floor_frame floor;
    show(MATCH);
    const int part = static_cast<int>(state.range(0));
    const auto frame = game_frame(part == BACKDROP_ONLY ? backdrop_only : world_render,
                                  part == WITH_HUD ? gui_render : nothing);
    paired times;
    // Drawn whole every time: this is where a whole frame's time goes.
    match_picture().enable(false);
    for (auto _ : state)
        times.time(state, floor, frame);
    times.report(state);
    match_picture().enable(true);
    leave_screen();
}

// The HUD's pulse drawn again over a floor frame, as every step changes it: what lies under it put back
// from a copy, the pulsing picture and what lies over it, clipped to its place.
void pulse_over(const floor_frame& floor) {
    const int W = CDisplay::width(), H = CDisplay::height();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, W, 0, H, 0, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const pixel_rect place = pulse_area(H);
    clip_to(place);
    floor.put_back(place);
    draw_pulse_and_over(true);
    stop_clipping();
}

// The least a played match frame can draw: a floor frame with the pulse drawn again over it.
void BM_PulseFloor(benchmark::State& state) {
    if (!started(state))
        return;
    const floor_frame floor;
    show(MATCH);
    paired times;
    for (auto _ : state)
        times.time(state, floor, [&] { floor.draw_with([&] { pulse_over(floor); }); });
    times.report(state);
    leave_screen();
}

// A match without missiles as it is played: both stations turning, the blue one charging now and then,
// and a logic step before every frame (a game drawing more than 100 frames a second steps less often).
// "patched" is the share of frames drawn as patches over the kept picture, "stills" the share that drew
// the whole still picture again first. BM_PulseFloor is the least such a frame can draw.
void BM_PlayedMatch(benchmark::State& state) {
    if (!started(state))
        return;
    const floor_frame floor;
    show(MATCH);
    CPlayedMatch match;
    const std::size_t patched = match_picture().patched_frames();
    const std::size_t stills = match_picture().still_pictures();
    const auto frame = game_frame(world_render, gui_render);
    paired times;
    for (auto _ : state) {
        match.step();
        times.time(state, floor, frame);
    }
    times.report(state);
    state.counters["patched"] = static_cast<double>(match_picture().patched_frames() - patched) /
                                static_cast<double>(state.iterations());
    state.counters["stills"] = static_cast<double>(match_picture().still_pictures() - stills) /
                               static_cast<double>(state.iterations());
    leave_screen();
}

// A busy match frame, and beside it, in the same iterations, the floor, the bare single batch of the same
// sprites alone on the window, and a clear and swap alone (so the bare batch's own cost is the difference).
// "vs_bound" is the match frame against the floor plus 1.1 times the bare batch's own cost.
void BM_BusyMatch(benchmark::State& state) {
    if (!started(state))
        return;
    const floor_frame floor;
    std::vector<CParticle*> board = busy_board(static_cast<int>(state.range(0)));
    bare_batch bare;
    bare.build(board);
    the_bare = &bare;
    const auto match = game_frame(world_render, gui_render);
    const auto bare_alone = game_frame(bare_batch_only, nothing);
    const auto clear_and_swap = game_frame(nothing, nothing);
    paired times;
    double bare_total = 0, clear_total = 0;
    for (auto _ : state) {
        times.floors += seconds([&] { floor.draw(); });
        bare_total += seconds(bare_alone);
        clear_total += seconds(clear_and_swap);
        const double t = seconds(match);
        times.frames += t;
        state.SetIterationTime(t);
    }
    times.report(state);
    const double n = static_cast<double>(state.iterations());
    state.counters["sprites"] = static_cast<double>(board.size());
    state.counters["bare_ms"] = (bare_total - clear_total) / n * 1e3;
    state.counters["vs_bound"] = times.frames / (times.floors + 1.1 * (bare_total - clear_total));
    restart();
}

// The display rate the playback is paced at: the logic steps a frame runs are those a 60 Hz main loop
// would run before it (one or two at 100 steps a second).
constexpr double FRAMES_PER_SECOND = 60;

// The nearest-rank percentile of the times.
double percentile(std::vector<double> times, double p) {
    if (times.empty())
        return 0;
    const std::size_t rank = static_cast<std::size_t>(std::ceil(p / 100 * static_cast<double>(times.size())));
    const std::size_t index = rank == 0 ? 0 : rank - 1;
    std::nth_element(times.begin(), times.begin() + static_cast<long>(index), times.end());
    return times[index];
}

// The committed busy two-player recording played back whole in each iteration, each frame (its logic
// steps, the world and HUD passes, the swap) timed beside a floor frame drawn just before it.
// "p99_ms" is the 99th-percentile frame, "vs_floor" that frame against the mean floor frame. Each frame
// also gets a bound of its own, the least its picture can cost: its floor frame, its logic steps, and
// 1.1 times its sprites drawn alone as one bare batch (past a clear and swap alone); "bound_p99" and
// "bound_median" are percentiles of each frame against its bound.
void BM_Replay(benchmark::State& state) {
    if (!started(state))
        return;
    match_recording recording;
    if (!load_recording(ZELVORANT_REPLAY_DIR "/two_players_busy.zvr", recording)) {
        state.SkipWithError("the busy two-player recording cannot be read");
        return;
    }
    const floor_frame floor;
    const auto frame = game_frame(world_render, gui_render);
    const auto bare_alone = game_frame(bare_batch_only, nothing);
    const auto clear_and_swap = game_frame(nothing, nothing);
    const double steps_per_frame = global::LPS / FRAMES_PER_SECOND;
    std::vector<double> frames, against_bound;
    double floors = 0;
    bare_batch bare;
    the_bare = &bare;
    for (auto _ : state) {
        CPlayback playback(recording);
        double due = 0, total = 0;
        while (!playback.over()) {
            const double floor_time = seconds([&] { floor.draw(); });
            floors += floor_time;
            due += steps_per_frame;
            const double steps = seconds([&] {
                for (; due >= 1; due -= 1)
                    playback.next();
            });
            const double t = steps + seconds(frame);
            frames.push_back(t);
            total += t;
            std::vector<CParticle*> sprites;
            for (CParticle* p : particles)
                if (!fixed_world_body(p))
                    sprites.push_back(p);
            bare.build(sprites);
            const double batch = seconds(bare_alone) - seconds(clear_and_swap);
            against_bound.push_back(t / (floor_time + steps + 1.1 * std::max(0.0, batch)));
        }
        state.SetIterationTime(total);
    }
    const double p99 = percentile(frames, 99);
    const double floor_mean = floors / static_cast<double>(frames.size());
    state.counters["frames"] = static_cast<double>(frames.size()) / static_cast<double>(state.iterations());
    state.counters["steps"] = static_cast<double>(recording.steps);
    state.counters["p99_ms"] = p99 * 1e3;
    state.counters["median_ms"] = percentile(frames, 50) * 1e3;
    state.counters["floor_ms"] = floor_mean * 1e3;
    state.counters["vs_floor"] = p99 / floor_mean;
    state.counters["bound_p99"] = percentile(against_bound, 99);
    state.counters["bound_median"] = percentile(against_bound, 50);
    restart();
}

void BM_Presentation(benchmark::State& state) {
    if (!started(state))
        return;
    for (auto _ : state)
        presentation();
    state.counters["particles"] = static_cast<double>(particles.size());
    restart();
}

}  // namespace

BENCHMARK(BM_Floor)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(1.0);
BENCHMARK(BM_Screen)
    ->ArgName("screen")
    ->DenseRange(TITLE, MATCH_OVER)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(1.0);
BENCHMARK(BM_MatchPart)
    ->ArgName("part")
    ->DenseRange(BACKDROP_ONLY, WITH_HUD)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(1.0);
BENCHMARK(BM_PlayedMatch)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(1.0);
BENCHMARK(BM_PulseFloor)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(1.0);
BENCHMARK(BM_BusyMatch)
    ->ArgName("sprites")
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(40000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(1.0);
// The recording is two minutes of play: one playback per run.
BENCHMARK(BM_Replay)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(1);
BENCHMARK(BM_Presentation)->Unit(benchmark::kMicrosecond)->UseRealTime();

BENCHMARK_MAIN();
