// Start-up to the first title-screen frame: window, pictures, menus. Each run is a fresh process
// (the game opens its window and loads its pictures once per run). The splash is timed; a clock
// that leaps makes each of its three phases one frame long, so the splash costs three frames.
// Run under Xvfb.
#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "game/app/main_loop.h"
#include "game/app/startup.h"
#include "game/render/render_hud.h"
#include "game/render/render_world.h"
#include "game/sim/global.h"
#include "graphics/display.h"
#include "graphics/draw.h"
#include "platform/glfw2.h"

namespace {

double leap_now = 0;
double leaping_clock() {
    leap_now += 1000;
    return leap_now;
}

// The child: start the game and draw the title screen once. Never returns.
[[noreturn]] void start_game() {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    glfw2::use_clock(leaping_clock);
    init_gfx();
    if (init() != 0)
        _exit(1);
    glClearColor(CDisplay::red(), CDisplay::green(), CDisplay::blue(), CDisplay::alpha());
    glMatrixMode(GL_MODELVIEW);
    draw_frame(world_render, gui_render, global::camera);
    glFinish();
    _exit(global::game_state == global::HIDDEN && global::menu_state == global::MAIN ? 0 : 2);
}

void BM_StartupToTitle(benchmark::State& state) {
    namespace fs = std::filesystem;
    const fs::path run = fs::temp_directory_path() / ("zelvorant-startup-" + std::to_string(getpid()));
    fs::create_directories(run);
    fs::create_directory_symlink(fs::path(ZELVORANT_RUN_DIR) / "gfx", run / "gfx");
    const fs::path before = fs::current_path();
    fs::current_path(run);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = fork();
        if (child == 0)
            start_game();
        int status = 0;
        waitpid(child, &status, 0);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the game did not reach its title screen (run under xvfb-run)");
            break;
        }
    }
    fs::current_path(before);
    fs::remove_all(run);
}

}  // namespace

BENCHMARK(BM_StartupToTitle)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

BENCHMARK_MAIN();
